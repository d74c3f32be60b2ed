// Note windows and commands inside one process, where what the program holds can be seen:
// its menus, the font each edit area was given, the owner window, the file while windows change.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "driver.h"
#include "gadgets.h"
#include "loading.h"
#include "menus.h"
#include "note.h"
#include "note_rules.h"
#include "startup.h"
#include "window_layer.h"

namespace {

// Spies on windows of the program: the last font each was given, and the file whenever one hid.
WNDPROC spiedProcedure[4];
HFONT givenFont[4];
std::vector<std::string> fileWhenHidden;

template <int slot>
LRESULT CALLBACK Spy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFONT) givenFont[slot] = reinterpret_cast<HFONT>(wParam);
  if (message == WM_SHOWWINDOW && !wParam) ReadBytes("Settings.ini", fileWhenHidden.emplace_back());
  return CallWindowProcA(spiedProcedure[slot], window, message, wParam, lParam);
}

template <int slot>
void SpyOn(HWND window) {
  spiedProcedure[slot] =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy<slot>)));
}

// Every item of a menu as "id label", "-" for a separator, "> label" before a submenu's items.
void Describe(HMENU menu, const std::string& indent, std::vector<std::string>& lines) {
  for (int at = 0; at < GetMenuItemCount(menu); ++at) {
    char label[64] = "";
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STATE;
    item.dwTypeData = label;
    item.cch = sizeof label;
    GetMenuItemInfoA(menu, static_cast<UINT>(at), TRUE, &item);
    if (item.fType & MFT_SEPARATOR) {
      lines.push_back(indent + "-");
    } else if (item.hSubMenu) {
      lines.push_back(indent + "> " + label);
      Describe(item.hSubMenu, indent + "  ", lines);
    } else {
      lines.push_back(indent + std::to_string(item.wID) + " " + label + (item.fState & MFS_CHECKED ? " [x]" : ""));
    }
  }
}

// Opens menu `number` as the program does, reads it from the open menu and closes it again.
std::vector<std::string> ReadMenu(ObjectNumber number, ObjectNumber window) {
  std::vector<std::string> lines;
  for (int attempt = 0; attempt < 3 && lines.empty(); ++attempt) {
    // What waits in the queue (keys left for Wine's kept popup window too) could close the menu at once.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    std::atomic<bool> closed{false};
    std::thread reader([&] {
      HWND popup = nullptr;
      WaitUntil([&] {
        for (HWND window : ProcessWindows(GetCurrentProcessId(), "#32768")) popup = IsWindowVisible(window) ? window : popup;
        return popup || closed;
      });
      DWORD_PTR menu = 0;
      if (popup) SendMessageTimeoutA(popup, MN_GETHMENU, 0, 0, SMTO_NORMAL, 5000, &menu);
      if (menu) Describe(reinterpret_cast<HMENU>(menu), "", lines);
      for (int press = 0; press < 5 && popup && IsWindowVisible(popup); ++press) {
        PressKey(popup, VK_ESCAPE);
        WaitUntil([&] { return !IsWindowVisible(popup); }, 1000);
      }
    });
    ShowMenuAt(number, WindowHandle(window), 300, 300);
    closed = true;
    reader.join();
  }
  return lines;
}

std::vector<std::string> NoteMenu(const char* rolledUp, const char* transparent, const char* onTop) {
  return {"1 Hide note", std::string("2 Roll up") + rolledUp, "-", "> Edit note", "  3 Background Color ",
          "  4 Text Color", "  5 Text Font", "  -", "  > Size", "    7 Small", "    8 Normal", "    9 Large", "-",
          "6 Save note", "-", "10 Cut", "11 Copy", "12 Paste", "-", "13 Select All", "-",
          std::string("14 Transparent") + transparent, std::string("15 On Top") + onTop, "-", "16 Delete note"};
}

class NoteWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    LeaveWindowsUnmanaged("note_window_tests.exe");
    SetCurrentDirectoryA(FreshDirectory("note_window_tests").windows.c_str());
    StartLayers();
  }
  void SetUp() override { NoteCounter = 0; }

  static void Build(ObjectNumber number, const char* title) {
    Note note{};
    note.xPos = 100 + 50 * static_cast<int>(number % 7);
    note.yPos = 100;
    note.size = note.editHeight = 128;
    note.title = title;
    note.font = "Tahoma";
    note.fontSize = 10;
    BuildNoteWindow(note, number, true);
    NoteCounter = std::max<std::int32_t>(NoteCounter, static_cast<std::int32_t>(number));
  }

  // The note's "Text Font" while another thread answers the dialog.
  static std::string ChooseFont(ObjectNumber note, const wchar_t* size) {
    std::string face;
    std::thread answer([&] { face = AnswerFont(WaitForWindow(GetCurrentProcessId(), "#32770"), L"Regular", size, false); });
    RunMenuCommand(TextFontItem, note);
    answer.join();
    return face;
  }
};

TEST_F(NoteWindows, TheMenusHoldTheirItemsInOrderWithTheCheckMarksOfTheLoadedAndToggledStates) {
  WriteBytes("Settings.ini", CrLfLines({"[Plain]", "Size = 128", "[Marked]", "Size = 128", "OnTop = 1",
                                        "Alpha = 1", "Rollup = 1"}));
  LoadNotes();
  EXPECT_EQ(ReadMenu(TrayMenu, OwnerWindow),
            std::vector<std::string>({"100 New note...", "-", "200 Show All Notes", "300 Hide All Notes", "-",
                                      "400 About...", "-", "500 Exit"}));
  EXPECT_EQ(ReadMenu(1, 1), NoteMenu("", "", ""));
  EXPECT_EQ(ReadMenu(3, 3), NoteMenu(" [x]", " [x]", " [x]"));
  for (int item : {RollUpItem, TransparentItem, OnTopItem}) {
    RunMenuCommand(item, 1);
    RunMenuCommand(item, 3);
  }
  EXPECT_EQ(ReadMenu(1, 1), NoteMenu(" [x]", " [x]", " [x]"));
  EXPECT_EQ(ReadMenu(3, 3), NoteMenu("", "", ""));
}

TEST_F(NoteWindows, TextFontReplacesOnlyTheNotesOwnFont) {
  Build(1, "One");
  Build(3, "Three");
  SpyOn<0>(GadgetHandle(EditAreaOf(1)));
  SpyOn<1>(GadgetHandle(EditAreaOf(3)));
  ASSERT_FALSE(ChooseFont(1, L"12").empty());
  HFONT first = givenFont[0];
  ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  ASSERT_FALSE(ChooseFont(3, L"8").empty());
  EXPECT_NE(givenFont[1], first);
  // Had the notes shared a font number, note 1's font would have been deleted here.
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(NoteWindows, NoteNumbersPassOverTheOwnerWindowAndShowAllLeavesItHidden) {
  HWND owner = WindowHandle(OwnerWindow);
  NoteCounter = 996;
  for (const char* title : {"Before", "After"}) {
    workingNote.title = title;
    CreateNote();
  }
  EXPECT_EQ(NoteCounter, 1002);
  EXPECT_EQ(NoteTitle(998), "Before");
  EXPECT_EQ(NoteTitle(1002), "After");
  RunMenuCommand(ShowAllItem, OwnerWindow);
  EXPECT_EQ(WindowHandle(OwnerWindow), owner);
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_TRUE(IsWindowVisible(WindowHandle(998)));
}

TEST_F(NoteWindows, HideAllChangesEveryWindowBeforeItWritesTheFile) {
  const std::string file = CrLfLines({"[Five]", "Hidden = 0", "[Seven]", "Hidden = 0", "[Elsewhere]"});
  WriteBytes("Settings.ini", file);
  Build(5, "Five");
  Build(7, "Seven");
  SpyOn<2>(WindowHandle(5));
  SpyOn<3>(WindowHandle(7));
  fileWhenHidden.clear();
  RunMenuCommand(HideAllItem, OwnerWindow);
  EXPECT_EQ(fileWhenHidden, std::vector<std::string>({file, file}));
  std::string written;
  ASSERT_TRUE(ReadBytes("Settings.ini", written));
  EXPECT_EQ(written, CrLfLines({"[Five]", "Hidden = 1", "[Seven]", "Hidden = 1", "[Elsewhere]", "Hidden = 1"}));
}

}  // namespace
