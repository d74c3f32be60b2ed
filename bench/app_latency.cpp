// Latency and footprint of the real Tackpad.exe under Wine, driven like the end-to-end tests:
// a posted "On Top" until the file is rewritten (10 and 1000 notes), start-up cost per note
// beyond the loading pause (200 notes), "Hide All Notes" over 500 notes, CPU while idle and
// memory over 1000 commands, a second start's hand-over and a start during "Exit", the "All Notes"
// window over 1000 notes, a file replaced elsewhere until its note shows the change (10 and 1000
// notes) and CPU while idle with the watch on; a text area's accessible name, a context-menu
// request and a step of a long text's size, each beside its peer. Built with the end-to-end
// tests; never run by them.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "driver.h"
#include "note_rules.h"
#include "note.h"
#include "stopwatch.h"

namespace {

std::string NotesFile(int notes) {
  std::string file;
  for (int i = 0; i < notes; ++i) {
    std::string name = "Note " + std::to_string(i);
    file += "[" + name + "]\r\nXPos = " + std::to_string(20 + i % 40 * 20) + "\r\nYPos = 40\r\nSize = 128\r\n";
    file += "Title = " + name + "\r\nText = line one " + std::to_string(i * 7919 % 10007) +
            " caf\xC3\xA9\\nline two\r\nFont = Tahoma\r\nFontSize = 10\r\n";
    file += "FontStyle = 0\r\nFrontColor = 0\r\nBkgColor = 8252912\r\nHidden = 0\r\nOnTop = 0\r\n";
    file += "Alpha = 0\r\nRollup = 0\r\n";
  }
  return file;
}

ULONGLONG WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

HWND NoteWindow(const RunningApp& app, int number) {
  return WaitForWindow(app.process.dwProcessId, ("WindowClass_" + std::to_string(number)).c_str(), 0);
}

// Starts the program on `notes` notes; returns the milliseconds until the last one shows.
// Numbered as the program numbers them, past its reserved range.
std::int32_t LastNoteNumber(int notes) {
  std::int32_t last = -1;
  for (int i = 0; i < notes; ++i) last = NextNoteNumber(last);
  return last;
}

double StartOn(const Place& place, int notes, RunningApp& app) {
  WriteBytes(InPlace(place, "Settings.ini"), NotesFile(notes));
  LARGE_INTEGER start = Now();
  if (!StartApp(TACKPAD_EXE, place, "WindowClass_1000", app)) return -1;
  const std::int32_t last = LastNoteNumber(notes);
  if (notes > 0) WaitUntil([&] { HWND note = NoteWindow(app, last); return note && IsWindowVisible(note); }, 600000);
  LARGE_INTEGER shown = Now();
  Ping(app);
  return Milliseconds(start, shown);
}

// Posts the item and waits for the file's write time to move; the milliseconds it took.
// Polled every millisecond: the tests' coarser polling would round the figure up.
double TimedCommand(const RunningApp& app, HWND window, int item, const std::string& path) {
  ULONGLONG before = WriteTime(path);
  LARGE_INTEGER start = Now();
  PostCommand(window, item);
  for (DWORD begun = GetTickCount(); WriteTime(path) == before && GetTickCount() - begun < 60000;) Sleep(1);
  LARGE_INTEGER written = Now();
  Ping(app);
  return Milliseconds(start, written);
}

void ReportLatency(int notes) {
  Place place = FreshDirectory("bench-latency-" + std::to_string(notes));
  RunningApp app;
  StartOn(place, notes, app);
  std::vector<double> times;
  for (int i = 0; i < 40; ++i) times.push_back(TimedCommand(app, NoteWindow(app, 1), OnTopItem, InPlace(place, "Settings.ini")));
  std::sort(times.begin(), times.end());
  std::printf("On Top, %4d notes: median %.1f ms, 90th percentile %.1f ms (40 commands)\n", notes,
              times[times.size() / 2], times[times.size() * 9 / 10]);
  DWORD code;
  ExitApp(app, ExitItem, &code);
}

void ReportStartUp() {
  Place place = FreshDirectory("bench-startup");
  RunningApp app;
  double none = StartOn(place, 0, app);
  DWORD code;
  ExitApp(app, ExitItem, &code);
  const int notes = 200;
  double all = StartOn(place, notes, app);
  std::printf("Start-up: %.0f ms without notes, %.0f ms to the last of %d notes: %.2f ms per note beyond the 100 ms pause\n",
              none, all, notes, (all - none - 100.0 * (notes - 1)) / notes);
  ExitApp(app, ExitItem, &code);
}

void ReportHideAll() {
  Place place = FreshDirectory("bench-hideall");
  RunningApp app;
  const int notes = 500;
  StartOn(place, notes, app);
  double took = TimedCommand(app, app.owner, HideAllItem, InPlace(place, "Settings.ini"));
  std::string file;
  ReadBytes(InPlace(place, "Settings.ini"), file);
  int hidden = 0;
  for (std::size_t at = 0; (at = file.find("Hidden = 1", at)) != std::string::npos; ++at) ++hidden;
  std::printf("Hide All Notes, %d notes: file rewritten after %.0f ms, %d groups hidden, last window hidden: %s\n",
              notes, took, hidden, IsWindowVisible(NoteWindow(app, LastNoteNumber(notes))) ? "no" : "yes");
  DWORD code;
  ExitApp(app, ExitItem, &code);
}

// Wine reports no times or memory of another process, so the host's own figures are read:
// CPU ticks (1/100 s) and resident kilobytes of the Tackpad process working in `place`.
struct HostFigures {
  long cpuTicks = -1;
  long residentKb = -1;
};

HostFigures FiguresOf(const Place& place) {
  std::string out = place.unix + "/figures.txt";
  RunOnHost("for p in $(pgrep -f Tackpad.exe); do [ \"$(readlink /proc/$p/cwd)\" = '" + place.unix +
            "' ] && echo $(awk '{print $14 + $15}' /proc/$p/stat) $(awk '/VmRSS/ {print $2}' /proc/$p/status); done > " +
            out);
  std::string text;
  ReadBytes(InPlace(place, "figures.txt"), text);
  HostFigures figures;
  std::sscanf(text.c_str(), "%ld %ld", &figures.cpuTicks, &figures.residentKb);
  return figures;
}

void ReportIdleAndMemory() {
  Place place = FreshDirectory("bench-idle");
  RunningApp app;
  StartOn(place, 10, app);
  HostFigures before = FiguresOf(place);
  Sleep(10000);
  HostFigures after = FiguresOf(place);
  std::printf("Idle: %ld ticks of 10 ms of CPU in 10 s of waiting\n", after.cpuTicks - before.cpuTicks);
  std::string path = InPlace(place, "Settings.ini");
  long first = 0;
  for (int i = 1; i <= 1000; ++i) {
    TimedCommand(app, NoteWindow(app, 1 + 2 * (i % 10)), i % 2 ? OnTopItem : TransparentItem, path);
    if (i == 100) first = FiguresOf(place).residentKb;
  }
  std::printf("Memory: %ld KB resident after 100 commands, %ld KB after 1000\n", first, FiguresOf(place).residentKb);
  DWORD code;
  ExitApp(app, ExitItem, &code);
}

// A second start until it has handed over and ended, beside the first start; then a start made
// as "Exit" is posted, until its own window stands, beside the end of the first program.
void ReportSecondStart() {
  Place place = FreshDirectory("bench-second");
  RunningApp app, next;
  double first = StartOn(place, 10, app);
  LARGE_INTEGER start = Now();
  DWORD code;
  StartApp(TACKPAD_EXE, place, nullptr, next);
  WaitForExit(next, &code, 60000);
  double handedOver = Milliseconds(start, Now());
  start = Now();
  PostCommand(app.owner, ExitItem);
  StartApp(TACKPAD_EXE, place, nullptr, next);
  WaitForExit(app, &code, 60000);
  double ended = Milliseconds(start, Now());
  next.owner = WaitForWindow(next.process.dwProcessId, "WindowClass_1000", 60000);
  double running = Milliseconds(start, Now());
  std::printf("Second start: handed over and ended after %.0f ms, %.2f of a first start on 10 notes (%.0f ms)\n",
              handedOver, handedOver / first, first);
  std::printf("Start during Exit: the first ended after %.0f ms, the new one ran after %.0f ms (%.2f of that)\n", ended,
              running, running / ended);
  ExitApp(next, ExitItem, &code);
}

// The "All Notes" window over 1000 notes: from the tray's command until it shows, and from a
// search changed until the list has painted its matches.
void ReportAllNotes() {
  Place place = FreshDirectory("bench-allnotes");
  RunningApp app;
  const int notes = 1000;
  StartOn(place, notes, app);
  LARGE_INTEGER start = Now();
  PostCommand(app.owner, AllNotesItem);
  HWND frame = nullptr;
  WaitUntil([&] { return (frame = WaitForWindow(app.process.dwProcessId, "WindowClass_1001", 0)) && IsWindowVisible(frame); }, 60000);
  const double opened = Milliseconds(start, Now());
  HWND field = ChildOf(frame, "Edit"), list = ChildOf(frame, "SysListView32");
  std::vector<double> keys;
  for (const char* typed : {"1", "12", "123", "12", "1", "", "C", "CA", "CAF", "CAFÉ", "CAF", "CA", "C", ""}) {
    std::wstring wide(64, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, typed, -1, &wide[0], 64) - 1);
    start = Now();
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    UpdateWindow(list);
    keys.push_back(Milliseconds(start, Now()));
  }
  std::sort(keys.begin(), keys.end());
  std::printf("All Notes, %d notes: open and shown after %.0f ms; a keystroke's filter: median %.1f ms, worst %.1f ms\n",
              notes, opened, keys[keys.size() / 2], keys.back());
  DWORD code;
  ExitApp(app, ExitItem, &code);
}

// As a sync tool lands the file (written beside it, renamed over it) until the first note shows its
// new text, beside a command on the same notes; then 30 s idle with the watch on.
void ReportElsewhere(int notes) {
  Place place = FreshDirectory("bench-elsewhere-" + std::to_string(notes));
  RunningApp app;
  StartOn(place, notes, app);
  const std::string path = InPlace(place, "Settings.ini"), part = InPlace(place, "incoming.part");
  HWND edit = ChildOf(NoteWindow(app, 1), "RichEdit20W");
  std::vector<double> landed, commands;
  for (int i = 0; i < 10; ++i) {
    std::string file = NotesFile(notes);
    const std::string text = "changed " + std::to_string(i);
    const std::size_t at = file.find("Text = ") + 7;
    file.replace(at, file.find("\r\n", at) - at, text);
    WriteBytes(part, file);
    LARGE_INTEGER start = Now();
    MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    WaitUntil([&] { return TextOf(edit) == text; }, 60000);
    landed.push_back(Milliseconds(start, Now()));
    Ping(app);
    commands.push_back(TimedCommand(app, NoteWindow(app, 3), OnTopItem, path));
  }
  std::sort(landed.begin(), landed.end());
  std::sort(commands.begin(), commands.end());
  std::printf("Replaced elsewhere, %4d notes: shown after median %.0f ms (of it 500 ms settling), worst %.0f ms; "
              "a command: median %.1f ms\n", notes, landed[landed.size() / 2], landed.back(), commands[commands.size() / 2]);
  if (notes == 10) {
    HostFigures before = FiguresOf(place);
    Sleep(30000);
    std::printf("Idle with the watch on: %ld ticks of 10 ms of CPU in 30 s\n", FiguresOf(place).cpuTicks - before.cpuTicks);
  }
  DWORD code;
  ExitApp(app, ExitItem, &code);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// What a screen reader and touch meet, each beside its peer: a text area's name (read through the
// program's own answer) beside its title strip's (the system's object alone), and a context-menu
// request beside a right press, from the post until the menu shows.
void ReportReach() {
  Place place = FreshDirectory("bench-reach");
  RunningApp app;
  StartOn(place, 10, app);
  HWND note = NoteWindow(app, 1), edit = ChildOf(note, "RichEdit20W"), strip = ChildOf(note, "Static");
  std::vector<double> edits, strips, requests, presses;
  for (int i = 0; i < 100; ++i) {
    for (auto [control, times] : {std::pair<HWND, std::vector<double>*>{edit, &edits}, {strip, &strips}}) {
      LARGE_INTEGER start = Now();
      AccessibleName(control);
      times->push_back(Milliseconds(start, Now()));
    }
  }
  const RECT frame = Outer(note);
  for (int i = 0; i < 20; ++i) {
    for (bool request : {true, false}) {
      LARGE_INTEGER start = Now();
      if (request) PostMessageA(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(frame.left + 30, frame.top + 30));
      else PostMessageA(strip, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 5));
      HWND menu = MenuShown(app.process.dwProcessId);
      (request ? requests : presses).push_back(Milliseconds(start, Now()));
      PostMessageA(note, WM_CANCELMODE, 0, 0);
      WaitUntil([&] { return !IsWindowVisible(menu); });
      Ping(app);
    }
  }
  const double edit50 = Median(edits), strip50 = Median(strips), request50 = Median(requests), press50 = Median(presses);
  std::printf("Accessible name: text area %.2f ms, title strip %.2f ms (%.2fx); menu shown after a context-menu request "
              "%.1f ms, after a right press %.1f ms (%.2fx)\n", edit50, strip50, edit50 / strip50, request50, press50,
              request50 / press50);
  DWORD code;
  ExitApp(app, ExitItem, &code);
}

// A step of a long note's text size (a posted Ctrl+wheel notch, until the loop has answered) beside
// the rich edit's own zoom of the same text by as much: each lays the whole text out again.
void ReportTextSize() {
  Place place = FreshDirectory("bench-textsize");
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "word " + std::to_string(i) + " ";
  WriteBytes(InPlace(place, "Settings.ini"), "[Long]\r\nXPos = 40\r\nYPos = 40\r\nSize = 388\r\nText = " + text +
                                                 "\r\nFont = Tahoma\r\nFontSize = 10\r\n");
  RunningApp app;
  if (!StartApp(TACKPAD_EXE, place, "WindowClass_1000", app)) return;
  WaitUntil([&] { HWND note = NoteWindow(app, 1); return note && IsWindowVisible(note); }, 60000);
  HWND edit = ChildOf(NoteWindow(app, 1), "RichEdit20W");
  Ping(app);
  std::vector<double> steps, zooms;
  for (int i = 0; i < 40; ++i) {
    const bool back = i % 2;  // 10 to 11 points and back; 110 % and back
    for (bool step : {true, false}) {
      LARGE_INTEGER start = Now();
      if (step) PostMessageA(edit, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, back ? -WHEEL_DELTA : WHEEL_DELTA), 0);
      else PostMessageA(edit, EM_SETZOOM, back ? 0 : 11, back ? 0 : 10);
      Ping(app);
      (step ? steps : zooms).push_back(Milliseconds(start, Now()));
    }
  }
  const double step50 = Median(steps), zoom50 = Median(zooms);
  std::printf("Text size, %zu characters: a step %.1f ms, the rich edit's zoom %.1f ms (%.2fx)\n", text.size(), step50,
              zoom50, step50 / zoom50);
  DWORD code;
  ExitApp(app, ExitItem, &code);
}

}  // namespace

int main(int argc, char** argv) {
  std::string only = argc > 1 ? argv[1] : "";
  LeaveWindowsUnmanaged("Tackpad.exe");
  if (only.empty() || only == "latency") {
    ReportLatency(10);
    ReportLatency(1000);
  }
  if (only.empty() || only == "startup") ReportStartUp();
  if (only.empty() || only == "hideall") ReportHideAll();
  if (only.empty() || only == "idle") ReportIdleAndMemory();
  if (only.empty() || only == "second") ReportSecondStart();
  if (only.empty() || only == "allnotes") ReportAllNotes();
  if (only.empty() || only == "reach") ReportReach();
  if (only.empty() || only == "textsize") ReportTextSize();
  if (only.empty() || only == "elsewhere") {
    ReportElsewhere(10);
    ReportElsewhere(1000);
  }
  return 0;
}
