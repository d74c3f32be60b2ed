// Note windows and commands inside one process, where what the program holds can be seen:
// which font each edit area was given, and what became of the owner window.
#include <gtest/gtest.h>

#include <thread>

#include "commands.h"
#include "driver.h"
#include "gadgets.h"
#include "note.h"
#include "note_rules.h"
#include "startup.h"
#include "windows.h"

namespace {

// Remembers the last font each spied control was given.
WNDPROC spiedProcedure[2];
HFONT givenFont[2];

template <int slot>
LRESULT CALLBACK SpyOnFont(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFONT) givenFont[slot] = reinterpret_cast<HFONT>(wParam);
  return CallWindowProcA(spiedProcedure[slot], control, message, wParam, lParam);
}

template <int slot>
void Spy(HWND control) {
  spiedProcedure[slot] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyOnFont<slot>)));
}

class NoteWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    LeaveWindowsUnmanaged("note_window_tests.exe");
    Place work = FreshDirectory("note_window_tests");
    SetCurrentDirectoryA(work.windows.c_str());
    StartLayers();
  }

  static void Build(ObjectNumber number, const char* title) {
    Note note{};
    note.xPos = 100 + 50 * static_cast<int>(number % 7);
    note.yPos = 100;
    note.size = SmallSize;
    note.editHeight = EditHeightFor(SmallSize);
    note.title = title;
    note.text = "text";
    note.font = "Tahoma";
    note.fontSize = 10;
    BuildNoteWindow(note, number, true);
  }

  // Runs the note's "Text Font" while another thread answers the dialog.
  static std::string ChooseFont(ObjectNumber note, const wchar_t* size) {
    std::string face;
    std::thread answer([&] {
      HWND dialog = WaitForProcessWindow(GetCurrentProcessId(), "#32770");
      if (dialog) face = AnswerFontDialog(dialog, L"Regular", size, false);
    });
    RunMenuCommand(TextFontItem, note);
    answer.join();
    return face;
  }
};

TEST_F(NoteWindows, TextFontReplacesOnlyTheNotesOwnFont) {
  Build(1, "One");
  Build(3, "Three");
  Spy<0>(GadgetHandle(EditAreaOf(1)));
  Spy<1>(GadgetHandle(EditAreaOf(3)));
  ASSERT_FALSE(ChooseFont(1, L"12").empty());
  HFONT first = givenFont[0];
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  ASSERT_FALSE(ChooseFont(3, L"8").empty());
  ASSERT_NE(givenFont[1], nullptr);
  EXPECT_NE(givenFont[1], first);
  // A font shared by number between the notes would have been deleted under note 1 here.
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  LOGFONTA font{};
  ASSERT_TRUE(GetObjectA(first, sizeof font, &font));
  EXPECT_NE(font.lfHeight, 0);
}

TEST_F(NoteWindows, NoteNumbersPassOverTheOwnerWindowAndShowAllLeavesItHidden) {
  HWND owner = WindowHandle(OwnerWindow);
  ASSERT_NE(owner, nullptr);
  NoteCounter = 996;
  for (const char* title : {"Before", "After"}) {
    workingNote.title = title;
    CreateNote();
  }
  EXPECT_EQ(NoteCounter, 1002);
  EXPECT_NE(WindowHandle(998), nullptr);
  EXPECT_NE(WindowHandle(1002), nullptr);
  EXPECT_EQ(WindowHandle(OwnerWindow), owner);
  EXPECT_EQ(NoteTitle(1002), "After");
  RunMenuCommand(ShowAllItem, OwnerWindow);
  EXPECT_EQ(WindowHandle(OwnerWindow), owner);
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_TRUE(IsWindowVisible(WindowHandle(998)));
}

}  // namespace
