#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "events.h"
#include "fixture.h"

namespace {

using AllNotes = E2eTest;

struct ListWindow {
  HWND frame, field, notes, bin;
};

// Opened by the tray menu's item, or by a click on a balloon; its parts as a person's tools find them.
ListWindow OpenList(E2eTest& t, LPARAM balloonClick = 0) {
  if (balloonClick) PostMessageA(t.app.owner, TrayCallbackMessage, 0, balloonClick);
  else PostCommand(t.app.owner, AllNotesItem);
  ListWindow w{t.Dialog("WindowClass_1001"), nullptr, nullptr, nullptr};
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(w.frame); }));  // shown once filled
  w.field = ChildOf(w.frame, "Edit");
  w.notes = ChildOf(w.frame, "SysListView32");
  w.bin = FindWindowExA(w.frame, w.notes, "SysListView32", nullptr);
  return w;
}

int Rows(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

HWND Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void Search(HWND field, const char* text) {
  std::wstring units(std::strlen(text), L'\0');
  units.resize(MultiByteToWideChar(CP_UTF8, 0, text, -1, &units[0], static_cast<int>(units.size()) + 1) - 1);
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(units.c_str()));
}

std::string Bin(const E2eTest& t) {
  std::string bin;
  return ReadBytes(InPlace(t.dir, "Deleted notes.ini"), bin) ? bin : NoFile;
}

TEST_F(AllNotes, EveryNoteIsListedFoundInAnyCaseAndScriptAndAHiddenOneOpensStoringOnlyItsKeys) {
  std::vector<std::string> lines = GroupLines("Work", 100, 120, 258, "first\\nSecond line", 0, 8252912, 0, 0, 0, 0);
  for (const auto& more : {GroupLines("Café list", 400, 300, 128, "crème brûlée", 0, 16777215, 1, 0, 0, 0),
                           GroupLines("Ideas & plans", 200, 200, 128, "ΣΟΦΙΑ\tnotes", 0, 16777215, 1, 0, 1, 1)}) {
    lines.insert(lines.end(), more.begin(), more.end());
  }
  const std::string file = CrLfLines(lines);
  Launch(file.c_str(), 5);
  ListWindow w = OpenList(*this);
  ASSERT_TRUE(w.frame && w.field && w.notes && w.bin);
  EXPECT_EQ(TextOf(w.frame), "All Notes");
  EXPECT_TRUE(GetWindowLongA(w.frame, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(Focus(w.frame), w.field);
  EXPECT_EQ(AccessibleName(w.field), "Search (title or text):");
  const struct { const char* search; int found; } searches[] = {
      {"nowhere", 0}, {"", 3},      {"CAFÉ", 1},           {"CAFE\xCC\x81", 1},  // a decomposed É too
      {"CRÈME", 1},   {"σοφια", 1}, {"  \t second LINE ", 1}, {"&", 1}, {"  ", 3}};
  for (const auto& s : searches) {
    Search(w.field, s.search);
    EXPECT_EQ(Rows(w.notes), s.found) << s.search;
  }
  // Enter opens the first match: the hidden note shows, and its group alone takes "Hidden" = 0.
  Search(w.field, "café");
  PressKey(w.field, VK_RETURN);
  EXPECT_EQ(Changed(file), WithKey(file, "Café list", "Hidden", "0"));
  EXPECT_TRUE(IsWindowVisible(Note(3)));
  EXPECT_TRUE(WaitUntil([&] { return Focus(Note(3)) == EditArea(3); }));

  // Escape closes the list alone; opened again, it follows a note made and deletes one with Delete.
  PressKey(w.field, VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(w.frame); }));
  ASSERT_TRUE(Ping(app));
  w = OpenList(*this);
  NewNote("Garden");
  EXPECT_TRUE(WaitUntil([&] { return Rows(w.notes) == 4; }));
  Search(w.field, "GARDEN");
  PressKey(w.field, VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return SendMessageA(w.notes, LVM_GETSELECTEDCOUNT, 0, 0) == 1; }));
  PressKey(w.notes, VK_DELETE);
  EXPECT_TRUE(WaitUntil([&] { return Rows(w.notes) == 0; }));
  EXPECT_TRUE(WaitUntil([&] { return Rows(w.bin) == 1; }));
  EXPECT_NE(Bin(*this).find("[Garden]"), std::string::npos);
  PostMessageA(w.frame, WM_SYSCOMMAND, SC_CLOSE, 0);  // as Alt+F4
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(w.frame); }));
  ASSERT_TRUE(Ping(app));
}

TEST_F(AllNotes, ADeletedNoteComesBackWithItsTextUnderAFreeTitleWhereItsOwnIsTakenAndLeavesTheBin) {
  const std::vector<std::string> work = GroupLines("Work", 100, 120, 258, "first\\nsecond", 255, 8252912, 0, 0, 0, 0);
  const std::string file = CrLfLines(work);
  Launch(file.c_str(), 1);
  PostCommand(Note(1), DeleteNoteItem);
  const std::string deleted = Changed(file);
  NewNote("Work");  // the title is taken again
  Changed(deleted);  // built and stored: a menu command posted while a note is built is dropped
  // Around the entry: an older one whose group names no note, and one cut short by a crash.
  const std::string damaged = "; Deleted 2026-12-01 10:00:00\r\n[]\r\nText = x\r\n\r\n";
  const std::string cut = "\r\n; Deleted 2026-12-02 10:00:00\r\n[Cut short]\r\nText = half a li";
  const std::string binBefore = damaged + Bin(*this) + cut;
  WriteBytes(InPlace(dir, "Deleted notes.ini"), binBefore);
  ListWindow w = OpenList(*this);
  ASSERT_EQ(Rows(w.bin), 3);
  // Newest first; the entry of no title is refused.
  PressKey(w.bin, VK_DOWN);
  PressKey(w.bin, VK_DOWN);
  PressKey(w.bin, VK_RETURN);
  EXPECT_TRUE(CloseDialog(Dialog("#32770"), IDOK)) << "the refusal is told";
  EXPECT_EQ(Bin(*this), binBefore);
  PressKey(w.bin, VK_UP);
  PressKey(w.bin, VK_UP);
  const std::string before = File();
  PressKey(w.bin, VK_RETURN);
  std::vector<std::string> back = work;
  back[0] = "[Work (2)]";
  back[4] = "Title = Work (2)";
  const std::string after = Changed(before);
  EXPECT_NE(after.find(CrLfLines(back)), std::string::npos) << after;
  EXPECT_TRUE(WaitUntil([&] { return Bin(*this) == damaged + cut.substr(2) && Rows(w.bin) == 2; })) << Bin(*this);
  HWND restored = nullptr;
  for (int n = 1; n < 20 && !restored; n += 2) {
    if (Note(n) && TextOf(Note(n)) == "Work (2)") restored = Note(n);  // the window named by its title
  }
  ASSERT_NE(restored, nullptr);
  EXPECT_TRUE(IsWindowVisible(restored));
  HWND edit = ChildOf(restored, "RichEdit20W");
  EXPECT_EQ(TextOf(edit ? edit : ChildOf(restored, "RichEdit20A")), "first\r\nsecond");
}

// What the program remembers having told, across starts: a value named by each copy's path.
bool ToldOf(const std::string& copy) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tackpad\\Conflict copies told", 0, KEY_QUERY_VALUE, &key)) return false;
  char name[1024];
  bool told = false;
  for (DWORD at = 0, size = sizeof name; !told && !RegEnumValueA(key, at, name, &size, nullptr, nullptr, nullptr, nullptr);
       ++at, size = sizeof name) {
    const std::string value(name, size);
    told = value.size() > copy.size() && value.compare(value.size() - copy.size(), copy.size(), copy) == 0;
  }
  RegCloseKey(key);
  return told;
}

TEST_F(AllNotes, ASyncToolsConflictCopyIsToldAndItsDifferingNotesAreRestoredLeavingTheCopyAsItIs) {
  const std::string file = CrLfLines(GroupLines("Work", 100, 120, 200, "mine", 0, 8252912, 0, 0, 0, 0)) +
                           CrLfLines(GroupLines("Home", 300, 120, 200, "same", 0, 8252912, 0, 0, 0, 0));
  Launch(file.c_str(), 3);
  const std::string copyName = "Settings-LAPTOP-" + std::to_string(GetTickCount()) + ".ini";
  const std::string copy = CrLfLines(GroupLines("Work", 100, 120, 200, "theirs", 0, 8252912, 0, 0, 0, 0)) +
                           CrLfLines(GroupLines("Home", 300, 120, 200, "same", 0, 8252912, 0, 0, 0, 0)) +
                           CrLfLines(GroupLines("Trip", 500, 120, 200, "plans", 0, 8252912, 0, 0, 0, 0));
  WriteBytes(InPlace(dir, copyName.c_str()), copy);
  EXPECT_TRUE(WaitUntil([&] { return ToldOf("\\" + copyName); }));
  EXPECT_NE(BalloonSaying(copyName + " is beside Settings.ini"), nullptr);
  ListWindow w = OpenList(*this, MAKELPARAM(NIN_BALLOONUSERCLICK, 1));
  ASSERT_EQ(Rows(w.bin), 2);  // "Home" is as the notes have it
  PressKey(w.bin, VK_DOWN);
  PressKey(w.bin, VK_RETURN);
  const std::string after = Changed(file);
  EXPECT_EQ(after, file + CrLfLines(GroupLines("Trip", 500, 120, 200, "plans", 0, 8252912, 0, 0, 0, 0)));
  std::string kept;
  EXPECT_TRUE(ReadBytes(InPlace(dir, copyName.c_str()), kept) && kept == copy);
}

}  // namespace
