// Note windows and commands inside one process, where what the program holds can be seen:
// its menus, the font each edit area was given, the owner window, the file while windows change.
#include <gtest/gtest.h>
#include <richedit.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "driver.h"
#include "events.h"
#include "file_io.h"
#include "gadgets.h"
#include "high_contrast.h"
#include "input_requester.h"
#include "instance.h"
#include "loading.h"
#include "memory.h"
#include "menus.h"
#include "new_note_key.h"
#include "note.h"
#include "note_rules.h"
#include "persistence.h"
#include "recovery.h"
#include "scoped_win32.h"
#include "settings_internal.h"
#include "startup.h"
#include "store_cycle.h"
#include "store_status.h"
#include "text.h"
#include "tray.h"
#include "window_layer.h"

namespace {

std::map<HWND, HFONT> givenFont;
std::vector<std::string> fileWhenHidden;
HMENU shownMenu;

// Sees what the test's thread sends its windows: the fonts given, the file as each one hides,
// the menu that opens (closed again as soon as it waits for the user).
LRESULT CALLBACK Spy(int code, WPARAM wParam, LPARAM lParam) {
  const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (sent.message == WM_SETFONT) givenFont[sent.hwnd] = reinterpret_cast<HFONT>(sent.wParam);
  if (sent.message == WM_SHOWWINDOW && !sent.wParam) ReadBytes("Settings.ini", fileWhenHidden.emplace_back());
  if (sent.message == WM_INITMENUPOPUP && !shownMenu) shownMenu = reinterpret_cast<HMENU>(sent.wParam);
  if (sent.message == WM_ENTERIDLE && sent.wParam == MSGF_MENU) EndMenu();
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Every item of a menu as "id label", "-" for a separator, "> label" before a submenu's items.
std::vector<std::string> Describe(HMENU menu, const std::string& indent = "") {
  std::vector<std::string> lines;
  for (int at = 0; at < GetMenuItemCount(menu); ++at) {
    char label[64] = "";
    GetMenuStringA(menu, at, label, sizeof label, MF_BYPOSITION);
    const UINT state = GetMenuState(menu, at, MF_BYPOSITION);  // a submenu's item count above its flags
    HMENU submenu = GetSubMenu(menu, at);
    const std::string id = submenu ? ">" : std::to_string(GetMenuItemID(menu, at));
    const bool separator = !submenu && (state & MF_SEPARATOR);
    lines.push_back(indent + (separator ? "-" : id + " " + label + (state & MF_CHECKED ? " [x]" : "")));
    const std::vector<std::string> inner = Describe(submenu, indent + "  ");
    lines.insert(lines.end(), inner.begin(), inner.end());
  }
  return lines;
}

// Opens menu `number` as the program does and reads the menu that opened.
std::vector<std::string> ReadMenu(ObjectNumber number, ObjectNumber window) {
  shownMenu = nullptr;
  ShowMenuAt(number, WindowHandle(window), 300, 300);
  return Describe(shownMenu);
}

std::vector<std::string> NoteMenu(const char* rolledUp, const char* transparent, const char* onTop) {
  return {"1 Hide note", std::string("2 Roll up") + rolledUp, "17 Move", "-", "> Edit note", "  3 Background Color ",
          "  4 Text Color", "  5 Text Font", "  -", "  > Size", "    7 Small", "    8 Normal", "    9 Large", "-",
          "6 Save note", "-", "10 Cut", "11 Copy", "12 Paste", "-", "13 Select All", "-",
          std::string("14 Transparent") + transparent, std::string("15 On Top") + onTop, "-", "16 Delete note"};
}

std::string Stored(const char* name = "Settings.ini") {
  std::string bytes;
  return ReadBytes(name, bytes) ? bytes : "(none)";
}

class NoteWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    LeaveWindowsUnmanaged("note_window_tests.exe");
    SetCurrentDirectoryA(FreshDirectory("note_window_tests").windows.c_str());
    StartLayers();
    SetWindowsHookExA(WH_CALLWNDPROC, Spy, nullptr, GetCurrentThreadId());
  }
};

TEST_F(NoteWindows, LoadedNotesHaveTheirMenusWithTheCheckMarksOfTheirStatesAndFontsOfTheirOwn) {
  WriteBytes("Settings.ini", CrLfLines({"[Plain]", "Size = 128", "[Marked]", "Size = 128", "OnTop = 1",
                                        "Alpha = 1", "Rollup = 1"}));
  LoadNotes();
  EXPECT_EQ(ReadMenu(TrayMenu, OwnerWindow),
            std::vector<std::string>({"100 New note...", "-", "200 Show All Notes", "300 Hide All Notes",
                                      "350 All Notes...", "-", "400 About...", "-", "500 Exit"}));
  EXPECT_EQ(ReadMenu(1, 1), NoteMenu("", "", ""));
  EXPECT_EQ(ReadMenu(3, 3), NoteMenu(" [x]", " [x]", " [x]"));
  for (int item : {RollUpItem, TransparentItem, OnTopItem}) {
    RunMenuCommand(item, 1);
    RunMenuCommand(item, 3);
  }
  EXPECT_EQ(ReadMenu(1, 1), NoteMenu(" [x]", " [x]", " [x]"));
  EXPECT_EQ(ReadMenu(3, 3), NoteMenu("", "", ""));

  HFONT chosen[2];
  for (int at : {0, 1}) {
    std::thread answer([&] {
      EXPECT_NE(AnswerFont(WaitForWindow(GetCurrentProcessId(), "#32770"), L"Regular", at ? L"8" : L"12"), "");
    });
    RunMenuCommand(TextFontItem, 1 + 2 * at);
    answer.join();
    chosen[at] = givenFont[GadgetHandle(EditAreaOf(1 + 2 * at))];
  }
  EXPECT_NE(chosen[0], chosen[1]);
  // Had the notes shared a font number, note 1's font would have been deleted by the second choice.
  EXPECT_EQ(GetObjectType(chosen[0]), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(NoteWindows, NoteNumbersPassOverTheProgramsOwnAndHideAllChangesEveryWindowBeforeItWritesTheFile) {
  NoteCounter = 994;
  for (const char* title : {"Before", "After"}) CreateNote(NewNoteValues(title));
  EXPECT_EQ(NoteCounter, 1022);
  EXPECT_EQ(NoteTitle(996), "Before");
  EXPECT_EQ(NoteTitle(1022), "After");

  const std::string file = CrLfLines({"[Before]", "Hidden = 0", "[After]", "Hidden = 0", "[Elsewhere]"});
  WriteBytes("Settings.ini", file);
  fileWhenHidden.clear();
  RunMenuCommand(HideAllItem, OwnerWindow);
  EXPECT_GE(fileWhenHidden.size(), 2u);
  EXPECT_EQ(fileWhenHidden, std::vector<std::string>(fileWhenHidden.size(), file));
  std::string written;
  ASSERT_TRUE(ReadBytes("Settings.ini", written));
  EXPECT_EQ(written, CrLfLines({"[Before]", "Hidden = 1", "[After]", "Hidden = 1", "[Elsewhere]", "Hidden = 1"}));
  EXPECT_EQ(FindLiveNote(1022)->stored[HiddenKey], "1");  // what the file took, its note knows

  // A live note's title stays taken when its group is gone from the file.
  DeleteFileA("Settings.ini");
  std::thread answer([] { EXPECT_TRUE(AnswerTitle(WaitForWindow(GetCurrentProcessId(), "InputRequester"), "after")); });
  RunMenuCommand(NewNoteItem, OwnerWindow);
  answer.join();
  EXPECT_EQ(NoteTitle(1024), "after (2)");
}

// A text the program could not fetch (no memory for it) is never stored as an empty one.
TEST_F(NoteWindows, SaveNoteWritesNothingForATextItCouldNotFetchAndLoadingNothingItCouldNotRead) {
  const std::string file = CrLfLines({"[Kept]", "Size = 258", "Text = stored"});
  std::string text, stored;  // beyond what the scratch area holds, so fetching it takes memory
  while (text.size() < 20000) text += "a line of its own\r\n", stored += "a line of its own\\n";
  WriteBytes("Settings.ini", file);
  LoadNotes();
  // Windows cuts a text set beyond the limit; Wine's rich edit only cuts typing.
  EXPECT_GE(SendMessageA(GadgetHandle(EditAreaOf(1)), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
  PutGadgetText(EditAreaOf(1), text.c_str());
  for (bool memory : {false, true}) {
    FailAllocationsAfter(memory ? -1 : 0, 1);  // the room for the text alone
    RunMenuCommand(SaveNoteItem, 1);
    FailAllocationsAfter(-1);
    std::string written;
    ASSERT_TRUE(ReadBytes("Settings.ini", written));
    EXPECT_EQ(written.find("Text = " + (memory ? stored : "stored") + "\r\n"), file.find("Text"));
  }
  // Nor is a note loaded whose text the program's code page cannot hold: built empty, it would be.
  callerCodePage = 1252;
  WriteBytes("Settings.ini", "\xEF\xBB\xBF\r\n" + CrLfLines({"[Greek]", "Text = \xCE\xA9"}));
  LoadNotes();
  EXPECT_EQ(NoteCounter, 1);
  callerCodePage = ActiveCodePage();
}

// Typing the pause has not stored yet goes into the bin with the group.
TEST_F(NoteWindows, DeleteNoteKeepsTheGroupInTheBinWithTypingNotYetStored) {
  WriteBytes("Settings.ini", CrLfLines({"[Typed]", "Size = 258", "Text = stored"}));
  LoadNotes();
  PutGadgetText(EditAreaOf(1), "typed");
  SendMessageA(GadgetHandle(EditAreaOf(1)), EM_SETMODIFY, TRUE, 0);
  RunMenuCommand(DeleteNoteItem, 1);
  std::string file, bin;
  EXPECT_TRUE(ReadBytes("Settings.ini", file) && file.empty()) << file;
  EXPECT_TRUE(ReadBytes("Deleted notes.ini", bin) && bin.find("[Typed]\r\nSize = 258\r\nText = typed\r\n") == 31) << bin;
}

// Windows' word that a note took another scale (moved to another monitor, or the display's
// scale changed): it is laid out and lettered anew, rolled up or not, each old font deleted and
// nothing written, not even at the next store of what changed; "Save note" stores the same.
TEST_F(NoteWindows, ANewScaleLaysTheNoteOutAndMakesItsFontsAnewWritingNothing) {
  auto file = [](const char* x, const char* y) {
    return CrLfLines({"[Square]", std::string("XPos = ") + x, std::string("YPos = ") + y, "Size = 258",
                      "Title = Square", "Text = text", "Font = Tahoma", "FontSize = 10", "[Rolled]", "XPos = 400",
                      "Size = 128", "Font = Tahoma", "FontSize = 10", "Rollup = 1"});
  };
  WriteBytes("Settings.ini", file("40", "50"));
  LoadNotes();
  HWND strip = GadgetHandle(TitleStripOf(1)), edit = GadgetHandle(EditAreaOf(1));
  std::set<HFONT> made;
  int moved = 0;
  for (int change = 0; change < 100; ++change) {
    const int dpi = std::array<int, 4>{120, 144, 96, 192}[change % 4];
    SCOPED_TRACE(dpi);
    auto at = [dpi](int length) { return MulDiv(length, dpi, 96); };
    const int shift = change % 2 ? -3 : 4;  // the suggested place is taken
    moved += shift;
    for (ObjectNumber note : {1, 3}) {
      RECT suggested = Outer(WindowHandle(note));
      OffsetRect(&suggested, shift, shift);
      SendMessageA(WindowHandle(note), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }
    const RECT frame = Outer(WindowHandle(1)), title = Outer(strip), text = Outer(edit), rolled = Outer(WindowHandle(3));
    EXPECT_EQ(std::vector<long>({frame.left, frame.right - frame.left, frame.bottom - frame.top, title.top - frame.top,
                                 title.bottom - title.top, text.top - frame.top, text.bottom - frame.bottom,
                                 rolled.left, rolled.right - rolled.left, rolled.bottom - rolled.top}),
              std::vector<long>({40 + moved, at(258), at(258), at(4), at(16), at(25), 0, 400 + moved, at(128), at(24)}));
    auto titleFont = reinterpret_cast<HFONT>(SendMessageA(strip, WM_GETFONT, 0, 0));
    HDC dc = GetDC(strip);
    HGDIOBJ old = SelectObject(dc, titleFont);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(strip, dc);
    EXPECT_LE(metrics.tmHeight, title.bottom - title.top);
    LOGFONTA titleLook{}, textLook{};
    GetObjectA(titleFont, sizeof titleLook, &titleLook);
    GetObjectA(givenFont[edit], sizeof textLook, &textLook);
    EXPECT_EQ(std::vector<long>({titleLook.lfHeight, textLook.lfHeight}),
              std::vector<long>({-MulDiv(9, dpi, 72), -MulDiv(10, dpi, 72)}));
    made.insert({titleFont, givenFont[edit], givenFont[GadgetHandle(EditAreaOf(3))]});
  }
  // Note 3's title font is never read.
  EXPECT_EQ(std::count_if(made.begin(), made.end(), [](HFONT f) { return GetObjectType(f) == OBJ_FONT; }), 3);
  StoreChangedNotes();
  EXPECT_EQ(Stored(), file("40", "50"));
  RunMenuCommand(SaveNoteItem, 1);  // at 192 dpi, 50 pixels on
  EXPECT_EQ(Stored(), file("90", "100"));
  // Nor is where Windows puts a note on a display change; where the person moves it is.
  for (bool person : {false, true}) {
    HWND note = WindowHandle(1);
    if (person) SendMessageA(note, WM_ENTERSIZEMOVE, 0, 0);
    SetWindowPos(note, nullptr, person ? 9 : 7, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (person) SendMessageA(note, WM_EXITSIZEMOVE, 0, 0);
    StoreChangedNotes();
    EXPECT_EQ(Stored(), person ? file("9", "10") : file("90", "100")) << person;
  }
  SetWindowHidden(1, 0);  // shown, a note takes the scale its monitor has (96 here) if no one told it
  EXPECT_EQ(Outer(WindowHandle(1)).right - Outer(WindowHandle(1)).left, 258);
}

// What the person is told is what became of the store: a full disk at the day's first store is never
// told as notes saved, and a success drops a failure's balloon not yet shown. Two notes of one group
// name deleted while the file refuses writes remove both its groups once it takes them.
TEST_F(NoteWindows, AStoreIsToldAsWhatBecameOfItAndEveryDeletionThatWaitedIsMade) {
  WriteBytes("Settings.ini", CrLfLines({"[Shopping]", "Text = one", "[Shopping]", "Text = two", "[Kept]"}));
  LoadNotes();
  std::filesystem::remove_all("Backups");
  WriteBytes("Backups", "a file where the folder of copies would be");
  fileFaults.failReplaceWith = ERROR_DISK_FULL;
  RunMenuCommand(OnTopItem, 5);
  fileFaults = FileFaults{};
  EXPECT_EQ(HeldStoreStatus().balloon,
            "Changes cannot be saved: the disk is full. They are kept and saved as soon as possible.");
  DeleteFileA("Backups");
  HANDLE held = CreateFileA("Settings.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  RunMenuCommand(DeleteNoteItem, 1);
  RunMenuCommand(DeleteNoteItem, 3);
  CloseHandle(held);
  EXPECT_TRUE(StoreWaitingWrites());
  EXPECT_EQ(Stored().find("Shopping"), std::string::npos) << Stored();
  EXPECT_EQ(HeldStoreStatus().balloon, "");
  EXPECT_EQ(HeldStoreStatus().tip, "Tackpad");
}

// Messages dispatched as the program's loop would, until `done` or ten seconds.
bool PumpUntil(const std::function<bool()>& done) {
  for (DWORD start = GetTickCount(); !done(); Sleep(20)) {
    if (GetTickCount() - start > 10000) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return true;
}

// A start that cannot read the file says so and loads it once it can: a note made meanwhile under a
// stored title (case aside) takes a free one before anything is written, and the loaded notes are
// numbered on from it; a deletion meanwhile is refused, as the file's groups are unknown.
TEST_F(NoteWindows, AFileThatCouldNotBeReadIsLoadedOnceFreeAndANoteMadeMeanwhileTakesAFreeTitle) {
  for (ObjectNumber note : LiveNotes()) RemoveLiveNote(note), RemoveWindow(note);
  const std::string file = CrLfLines({"[Shopping]", "Text = milk", "[Other]"});
  WriteBytes("Settings.ini", file);
  HANDLE held = CreateFileA("Settings.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(LoadNotes());
  EXPECT_EQ(HeldStoreStatus().tip, "Tackpad: notes not loaded yet, another program has Settings.ini open");
  EXPECT_EQ(HeldStoreStatus().balloon, "Your notes are not lost: another program has Settings.ini open. They "
                                       "appear as soon as Settings.ini can be read.");
  std::thread answer([] { EXPECT_TRUE(AnswerTitle(WaitForWindow(GetCurrentProcessId(), "InputRequester"), "shopping")); });
  RunMenuCommand(NewNoteItem, OwnerWindow);
  answer.join();
  RunMenuCommand(DeleteNoteItem, 1);
  EXPECT_TRUE(IsLiveNote(1));
  EXPECT_EQ(HeldStoreStatus().balloon, "The note was not deleted: another program has Settings.ini open.");
  CloseHandle(held);
  RunMenuCommand(OnTopItem, 1);  // the file free, but not loaded yet
  EXPECT_EQ(Stored(), file);
  ASSERT_TRUE(PumpUntil([] { return NoteTitle(5) == "Other"; }));
  EXPECT_EQ(std::vector<std::string>({NoteTitle(1), TextOf(GadgetHandle(TitleStripOf(1))), TextOf(WindowHandle(1)),
                                      NoteTitle(3)}),
            std::vector<std::string>({"shopping (2)", "shopping (2)", "shopping (2)", "Shopping"}));
  const std::string now = Stored();
  EXPECT_EQ(now.substr(0, file.size()), file);
  EXPECT_NE(now.find("\r\n[shopping (2)]\r\n"), std::string::npos) << now;
  EXPECT_NE(now.find("\r\nTitle = shopping (2)\r\n"), std::string::npos) << now;
  EXPECT_EQ(HeldStoreStatus().tip, "Tackpad");
}

// A file gone while notes are live is made again whole (comments, unknown keys, the byte-order mark)
// before a command's change: a backup a failed swap left goes back, else the file's image is
// written; a backup no swap explains goes into Backups, and leftovers of earlier replaces go.
TEST_F(NoteWindows, AFileGoneWhileNotesAreLiveIsMadeAgainWholeBeforeTheNextCommandsChange) {
  const std::string file = "\xEF\xBB\xBF\r\n" + CrLfLines({"; mine", "[One]", "Size = 258", "Own = kept", "[Two]"});
  const struct {
    const char* name;
    std::function<void()> before, between;
    std::string strayKept;
  } cases[] = {
      {"as it was", [] {}, [] {}, ""},
      {"removed", [] { DeleteFileA("Settings.ini"); }, [] {}, ""},
      {"its swap cut short, the move back refused once",
       [] { fileFaults.failReplaceWith = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, fileFaults.refuseMoveBack = true; },
       [] { fileFaults = FileFaults{}; }, ""},
      {"its swap cut short, the move back refused",
       [] { fileFaults.failReplaceWith = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, fileFaults.refuseMoveBack = true; },
       [] { fileFaults.failReplaceWith = 0; }, file},
      {"beside a backup a crash left", [] { WriteBytes("Settings.ini.old", "stray"); }, [] {}, "stray"},
  };
  std::string expected;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all("Backups");
    WriteBytes("Settings.ini", file);
    WriteBytes("Settings.ini.0BADF00D.tmp", "left by a crash");
    LoadNotes();
    c.before();
    RunMenuCommand(OnTopItem, 1);
    c.between();
    RunMenuCommand(TransparentItem, 3);
    fileFaults = FileFaults{};
    if (expected.empty()) expected = Stored();
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(Stored("Settings.ini.0BADF00D.tmp"), "(none)");
    WIN32_FIND_DATAA found;
    HANDLE stray = FindFirstFileA("Backups\\Settings.old *.ini", &found);
    if (stray != INVALID_HANDLE_VALUE) FindClose(stray);
    EXPECT_EQ(stray == INVALID_HANDLE_VALUE ? "" : Stored((std::string("Backups\\") + found.cFileName).c_str()), c.strayKept);
  }
  EXPECT_NE(expected.find("; mine\r\n[One]\r\nSize = 258\r\nOwn = kept\r\n"), std::string::npos) << expected;
}

// The session's end with every file call slowed and the file held with no sharing: one try, then
// every note, comments and all, in a recovery file beside it, inside the budget.
TEST_F(NoteWindows, TheSessionsEndOnASlowFolderKeepsEveryNoteInARecoveryFileWithinItsBudget) {
  const std::string file = CrLfLines({"; mine", "[One]", "Size = 258", "Own = kept", "[Two]", "Size = 258"});
  WriteBytes("Settings.ini", file);
  LoadNotes();
  HANDLE held = CreateFileA("Settings.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  RunMenuCommand(OnTopItem, 1);
  fileFaults.delayMs = 250;
  const DWORD start = GetTickCount();
  KeepNotesAtSessionEnd();
  const DWORD took = GetTickCount() - start;
  fileFaults = FileFaults{};
  CloseHandle(held);
  std::printf("the session's end took %lu ms\n", took);
  EXPECT_LT(took, 2500u) << "Windows ends the program five seconds after the session's end";
  EXPECT_EQ(Stored(), file);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("Tackpad notes not saved *.ini", &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  FindClose(search);
  const std::string kept = Stored(found.cFileName);
  EXPECT_TRUE(StoreWaitingWrites());  // the file free, what waited goes in
  EXPECT_EQ(kept.substr(0, 2) + kept.substr(kept.find("\r\n") + 2), "; " + Stored());
  char named[MAX_PATH] = "";
  DWORD size = sizeof named;
  const std::string settings = SettingsFilePath(), recovery = "Software\\Tackpad\\Recovery files";
  RegGetValueA(HKEY_CURRENT_USER, recovery.c_str(), settings.c_str(), RRF_RT_REG_SZ, nullptr, named, &size);
  EXPECT_EQ(named, settings.substr(0, settings.rfind('\\') + 1) + found.cFileName) << "the next start names it";
  RegDeleteKeyValueA(HKEY_CURRENT_USER, recovery.c_str(), settings.c_str());
}

// A folder Windows' Controlled folder access guards is named as a cause of a refusal there.
TEST_F(NoteWindows, AFolderThatCannotBeWrittenToNamesControlledFolderAccessWhereItMayBeTheCause) {
  char documents[MAX_PATH], here[MAX_PATH];
  ASSERT_TRUE(GetCurrentDirectoryA(MAX_PATH, here) && SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, documents) == S_OK);
  EXPECT_EQ(FailureReason(FileFailure::FolderNotWritable, SettingsFile), "its folder cannot be written to");
  ASSERT_TRUE(SetCurrentDirectoryA(documents));
  EXPECT_NE(FailureReason(FileFailure::FolderNotWritable, SettingsFile).find("Controlled folder access"), std::string::npos);
  SetCurrentDirectoryA(here);
}

// Windows' own handling of an activation gives the focus to the window itself, where keys go
// nowhere: a note gives it to its text area, the requester to the part that had it, else its field.
// Hiding the active note hands the activation on, never to the hidden owner; the menu key may come
// as a system key.
TEST_F(NoteWindows, AnActivatedWindowGivesTheFocusBackAndHidingTheActiveNoteHandsTheActivationOn) {
  for (ObjectNumber note : LiveNotes()) RemoveLiveNote(note), RemoveWindow(note);
  WriteBytes("Settings.ini", CrLfLines({"[One]", "Size = 258", "[Two]", "Size = 258"}));
  LoadNotes();
  SetFocus(nullptr);
  SendMessageA(WindowHandle(1), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(GetFocus(), GadgetHandle(EditAreaOf(1)));

  const DWORD thread = GetCurrentThreadId();
  std::vector<HWND> parts, focused;  // with nothing kept, then with the button kept
  std::thread answer([&] {
    HWND requester = WaitForWindow(GetCurrentProcessId(), "InputRequester");
    parts = {ChildOf(requester, "Edit"), ChildOf(requester, "Button")};
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);  // the focus is then this thread's to set
    for (HWND before : {static_cast<HWND>(nullptr), parts[1]}) {
      SetFocus(before);
      SendMessageA(requester, WM_ACTIVATE, WA_INACTIVE, 0);
      SetFocus(nullptr);
      SendMessageA(requester, WM_ACTIVATE, WA_ACTIVE, 0);
      focused.push_back(GetFocus());
    }
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    EXPECT_TRUE(AnswerTitle(requester, nullptr));
  });
  RequestText("Title", "Prompt", "");
  answer.join();
  EXPECT_EQ(focused, parts);

  ASSERT_TRUE(PumpUntil([] { return SetForegroundWindow(WindowHandle(1)) && GetActiveWindow() == WindowHandle(1); }));
  RunMenuCommand(HideNoteItem, 1);
  EXPECT_EQ(GetActiveWindow(), WindowHandle(3));
  EXPECT_EQ(GetFocus(), GadgetHandle(EditAreaOf(3)));
  RunMenuCommand(HideNoteItem, 3);
  EXPECT_NE(GetActiveWindow(), WindowHandle(OwnerWindow));
  PostMessageA(GadgetHandle(EditAreaOf(3)), WM_SYSKEYDOWN, VK_APPS, 0);
  bool menuKey = false;
  while (std::int32_t kind = NextEvent(0)) menuKey |= kind == ContextMenuEvent && LastPoint().x == -1;
  EXPECT_TRUE(menuKey);
}

// How many bytes a rich edit counts for its text in the ANSI code page is not documented: one that
// counts in a single-byte system page, a byte a character (an emoji or a CJK one a "?"), cuts nothing.
LRESULT CALLBACK CountInSystemPage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* query = reinterpret_cast<const GETTEXTLENGTHEX*>(wParam);
  if (message == EM_GETTEXTLENGTHEX && query->codepage == CP_ACP) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
    return std::count_if(text.begin(), text.end(), [](wchar_t unit) { return !IS_LOW_SURROGATE(unit); });
  }
  return CallWindowProcW(reinterpret_cast<WNDPROC>(GetPropA(edit, "previous")), edit, message, wParam, lParam);
}

// A copy of a font of the system under a face name in another script, for this process alone.
bool AddFontNamed(const std::wstring& face) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  std::string font(GetFontData(dc, 0, 0, nullptr, 0), '\0');
  const bool read = GetFontData(dc, 0, 0, &font[0], static_cast<DWORD>(font.size())) == font.size();
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  auto put = [](std::string& to, std::size_t at, std::uint32_t value, int bytes) {
    while (bytes--) to[at + bytes] = static_cast<char>(value), value >>= 8;
  };
  // A name table of its family, style and full names, for Windows, in UTF-16 big-endian.
  const std::wstring names[] = {face, L"Regular", face};
  std::string table(6, '\0'), strings;
  put(table, 2, 3, 2), put(table, 4, 6 + 12 * 3, 2);
  for (std::uint32_t at = 0; at < 3; ++at) {
    for (std::uint32_t value : {3u, 1u, 0x409u, at ? at * 2 : 1, 2u * static_cast<std::uint32_t>(names[at].size()),
                                static_cast<std::uint32_t>(strings.size())}) {
      table.append(2, '\0'), put(table, table.size() - 2, value, 2);
    }
    for (wchar_t unit : names[at]) strings.append(2, '\0'), put(strings, strings.size() - 2, unit, 2);
  }
  table += strings;
  // Appended, and the table directory's entry pointed at it.
  font.resize((font.size() + 3) & ~std::size_t{3});
  for (std::size_t entry = 12; read && entry < 12 + 16 * std::size_t(std::uint8_t(font[5])); entry += 16) {
    if (font.compare(entry, 4, "name") == 0) put(font, entry + 8, font.size(), 4), put(font, entry + 12, table.size(), 4);
  }
  WriteBytes("Renamed.ttf", font + table);
  return read && AddFontResourceExA("Renamed.ttf", FR_PRIVATE, nullptr) == 1;
}

// Every script is kept whole: ten thousand characters of emoji and CJK through "Save note" and a
// restart, a face named in another script made and chosen in the font dialog.
TEST_F(NoteWindows, TextAndFontNamesInEveryScriptAreStoredWholeAndComeBack) {
  ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  const std::string face = "\xE6\x96\x87\xE5\xAD\x97 Sans";  // 文字 Sans
  ASSERT_TRUE(AddFontNamed(L"\u6587\u5B57 Sans"));
  for (ObjectNumber note : LiveNotes()) RemoveLiveNote(note), RemoveWindow(note);
  WriteBytes("Settings.ini", CrLfLines({"[Scripts]", "Size = 258", "Font = " + face}));
  LoadNotes();
  std::string text = "中文 📌 ✓ é";
  for (int line = 1; line < 1000; ++line) text += "\r\n中文 📌 ✓ é";
  HWND edit = GadgetHandle(EditAreaOf(1));
  SetPropA(edit, "previous", reinterpret_cast<HANDLE>(SetWindowLongPtrW(edit, GWLP_WNDPROC,
                                                                        reinterpret_cast<LONG_PTR>(CountInSystemPage))));
  PutGadgetText(EditAreaOf(1), text.c_str());
  RunMenuCommand(SaveNoteItem, 1);
  std::thread answer([&] {
    EXPECT_EQ(AnswerFont(WaitForWindow(GetCurrentProcessId(), "#32770"), L"Regular", L"12", L"\u6587\u5B57 Sans"), face);
  });
  RunMenuCommand(TextFontItem, 1);
  answer.join();
  RemoveLiveNote(1), RemoveWindow(1);
  LoadNotes();
  const std::string shown = TextOf(GadgetHandle(EditAreaOf(1)));
  EXPECT_TRUE(shown == text) << shown.size() << " bytes shown of " << text.size();
  EXPECT_NE(Stored().find("\r\nFont = " + face + "\r\n"), std::string::npos) << Stored().substr(0, 80);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, givenFont[GadgetHandle(EditAreaOf(1))]);
  wchar_t made[LF_FACESIZE] = L"";
  GetTextFaceW(dc, LF_FACESIZE, made);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(std::wstring(made), L"\u6587\u5B57 Sans");
}

bool contrastOn;

// A high-contrast theme, told by the setting's source (Wine's system never reports one on) and
// brought as Windows brings it, by either message: every note in the theme's colours (its strip in
// the highlight colours) and opaque, nothing written; with it off, the note's own colours again.
TEST_F(NoteWindows, AHighContrastThemeShowsNotesInItsColoursOpaqueWritingNothingAndTheirOwnComeBack) {
  for (ObjectNumber live : LiveNotes()) RemoveLiveNote(live), RemoveWindow(live);
  WriteBytes("Settings.ini", CrLfLines({"[Dark]", "Size = 128", "Text = text", "FrontColor = 255", "BkgColor = 32768",
                                        "Alpha = 1"}));
  LoadNotes();
  const ObjectNumber note = LiveNotes().back();
  HWND window = WindowHandle(note), strip = GadgetHandle(TitleStripOf(note)), edit = GadgetHandle(EditAreaOf(note));
  const std::string stored = Stored();
  auto pixel = [](HWND of, int x, int y) {
    UpdateWindow(of);
    WindowDc dc(of);
    return GetPixel(dc, x, y);
  };
  // The window's edge, the strip's and the text area's corners, the strip's and the text's colours, the opacity.
  auto shown = [&] {
    RECT area;
    GetClientRect(edit, &area);
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(strip));
    const COLORREF stripText = GetTextColor(dc);
    DeleteDC(dc);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    BYTE alpha = 0;
    GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr);
    return std::vector<COLORREF>({pixel(window, 1, 1), pixel(strip, 1, 1), stripText, pixel(edit, area.right - 2, area.bottom - 2),
                                  (format.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : format.crTextColor, alpha});
  };
  const std::vector<COLORREF> own = {32768, 32768, 255, 32768, 255, TranslucentAlpha};
  EXPECT_EQ(shown(), own);
  SetHighContrastSource([] { return contrastOn; });
  for (bool on : {true, false, true, false}) {
    contrastOn = on;
    if (on) SendMessageA(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    else SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
    const COLORREF page = GetSysColor(COLOR_WINDOW), mark = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(shown(), on ? std::vector<COLORREF>({page, mark, GetSysColor(COLOR_HIGHLIGHTTEXT), page,
                                                   GetSysColor(COLOR_WINDOWTEXT), 255})
                          : own) << on;
  }
  SetHighContrastSource(nullptr);
  StoreChangedNotes();
  EXPECT_EQ(Stored(), stored);
  for (ObjectNumber live : LiveNotes()) RemoveLiveNote(live), RemoveWindow(live);
}

// What the registry may name as the key for a new note: modifiers in any order and case, a key a
// person can press, never a plain letter every program would lose.
TEST(NewNoteKey, ACombinationIsReadFromItsNamesAndOneNoOneCouldUseIsRefused) {
  const struct { const char* text; bool read; UINT modifiers, key; } cases[] = {
      {"Ctrl+Shift+F11", true, MOD_CONTROL | MOD_SHIFT, VK_F11},
      {" alt + WIN + n ", true, MOD_ALT | MOD_WIN, 'N'},
      {"F24", true, 0, VK_F24},
      {"Control+PageDown", true, MOD_CONTROL, VK_NEXT},
      {"none", true, 0, 0},
      {"", true, 0, 0},
      {"Shift+A", false, 0, 0},
      {"Ctrl+Ctrl+A", false, 0, 0},
      {"Ctrl+", false, 0, 0},
      {"Ctrl+F25", false, 0, 0},
      {"Ctrl+F01", false, 0, 0},
      {"Hyper+Q", false, 0, 0},
      {"Ctrl+Shift", false, 0, 0}};
  for (const auto& c : cases) {
    KeyCombination read{};
    EXPECT_EQ(ReadKeyCombination(c.text, read), c.read) << c.text;
    EXPECT_TRUE(!c.read || (read.modifiers == c.modifiers && read.key == c.key)) << c.text;
  }
}

// The shell's fields hold UTF-16 units: a text longer is cut before a character that would not fit
// whole, never inside it (half a surrogate pair shows as a replacement mark).
TEST(Tray, ATextLongerThanItsFieldIsCutAtACharactersBoundary) {
  const struct { const char* text; std::size_t room; const wchar_t* field; } cases[] = {
      {"Tackpad", 8, L"Tackpad"},
      {"Tackpad", 5, L"Tack"},
      {"ab\xF0\x9F\x93\x8C", 4, L"ab"},                       // the emoji would need two units
      {"ab\xF0\x9F\x93\x8C", 5, L"ab\U0001F4CC"},
      {"\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97", 3, L"\u4E2D\u6587"},  // three bytes each, one unit
  };
  for (const auto& c : cases) {
    wchar_t field[8];
    CopyTrayText(field, c.room, c.text);
    EXPECT_EQ(std::wstring(field), c.field) << c.text << " in " << c.room;
  }
}

// A running older copy names the object so too: the name must never change.
TEST(Instance, TheFolderObjectIsNamedByItsFolderAsEveryCopyNamesIt) {
  EXPECT_EQ(FolderObjectName("Z:\\nowhere\\tackpad\\Settings.ini"), "Local\\Tackpad-8db91c72cf0d5391");
}

}  // namespace
