// Start-up without a file, the tray, new notes, About and the two ways to end.
#include "fixture.h"

namespace {

using StartUp = TackpadTest;

int NumberAfter(const std::string& line, const std::string& key) {
  EXPECT_EQ(line.rfind(key + " = ", 0), 0u) << line;
  return std::stoi(line.substr(key.size() + 3));
}

TEST_F(StartUp, TrayDoubleClickAsksForATitleAndCreatesTheNoteWithItsFourteenKeys) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  EXPECT_FALSE(HasFile());
  SendTrayClick(app, WM_LBUTTONDBLCLK);
  HWND requester = WaitForProcessWindow(app.process.dwProcessId, "InputRequester");
  ASSERT_NE(requester, nullptr);
  EXPECT_EQ(TextOf(requester), "Title");
  EXPECT_EQ(TextOf(ChildOfClass(requester, "Static")), "Please insert your title note:");
  ASSERT_NO_FATAL_FAILURE(AnswerTitle("Shopping"));
  std::string file = FileAfterChange("");

  std::vector<std::string> lines = SplitCrLf(file);
  ASSERT_EQ(lines.size(), 15u) << file;
  EXPECT_EQ(file.substr(file.size() - 2), "\r\n");
  int x = NumberAfter(lines[1], "XPos"), y = NumberAfter(lines[2], "YPos");
  EXPECT_GE(x, 0);
  EXPECT_LE(x, 800);
  EXPECT_GE(y, 0);
  EXPECT_LE(y, 600);
  lines[1] = "XPos = *";
  lines[2] = "YPos = *";
  EXPECT_EQ(lines, (std::vector<std::string>{"[Shopping]", "XPos = *", "YPos = *", "Size = 258", "Title = Shopping",
                                             "Text = Welcome to Tackpad!", "Font = Comic Sans MS", "FontSize = 14",
                                             "FontStyle = 768", "FrontColor = 0", "BkgColor = 8252912", "Hidden = 0",
                                             "OnTop = 1", "Alpha = 0", "Rollup = 0"}));

  // Note 2, at the stored place, square, on top, with its title and greeting.
  HWND note = Note(2);
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(IsWindowVisible(note));
  EXPECT_TRUE(IsTopmost(note));
  RECT outer = OuterRect(note);
  EXPECT_EQ(outer.left, x);
  EXPECT_EQ(outer.top, y);
  EXPECT_EQ(outer.right - outer.left, 258);
  EXPECT_EQ(outer.bottom - outer.top, 258);
  EXPECT_EQ(GetWindowLongA(note, GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
  EXPECT_EQ(GetWindow(note, GW_OWNER), app.owner);
  EXPECT_FALSE(IsWindowVisible(app.owner));
  EXPECT_EQ(TextOf(TitleStrip(2)), "Shopping");
  EXPECT_EQ(TextOf(EditArea(2)), "Welcome to Tackpad!");
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_EQ(File(), file);
}

TEST_F(StartUp, EscapeOrATitleOfNothingButBlanksCreatesNoNoteAndWritesNothing) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  for (const char* answer : {static_cast<const char*>(nullptr), "", " \t ", "\x01\x02"}) {
    PostMenuItem(app.owner, NewNote);
    ASSERT_NO_FATAL_FAILURE(AnswerTitle(answer));
    ASSERT_NO_FATAL_FAILURE(Barrier());
    EXPECT_FALSE(HasFile());
  }
  EXPECT_EQ(Note(2), nullptr);
  // Only the right double-click and a single left click on the icon ask for nothing.
  SendTrayClick(app, WM_RBUTTONDBLCLK);
  SendTrayClick(app, WM_LBUTTONUP);
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_EQ(ProcessWindow(app.process.dwProcessId, "InputRequester"), nullptr);
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_FALSE(HasFile());
}

TEST_F(StartUp, TitlesAreCleanedAndNeverShareAGroup) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(CrLfLines({"[Stored]", "XPos = 5"}), 1));
  std::string file = NewNoteTitled("  Shopping\t");
  EXPECT_EQ(ValueIn(file, "Shopping", "Title"), "Shopping");
  file = NewNoteTitled("SHOPPING");
  EXPECT_EQ(ValueIn(file, "SHOPPING (2)", "Title"), "SHOPPING (2)");
  file = NewNoteTitled("stored");
  EXPECT_EQ(ValueIn(file, "stored (2)", "Title"), "stored (2)");
  file = NewNoteTitled("a]b\tc");
  EXPECT_EQ(ValueIn(file, "a)b c", "Title"), "a)b c");
  // The stored group was loaded as note 1, so the counter stood at 3: 5, 7, 9, 11.
  EXPECT_EQ(TextOf(TitleStrip(5)), "Shopping");
  EXPECT_EQ(TextOf(TitleStrip(7)), "SHOPPING (2)");
  EXPECT_EQ(TextOf(TitleStrip(11)), "a)b c");
  EXPECT_EQ(ValueIn(file, "Stored", "XPos"), "5");
  EXPECT_EQ(SplitCrLf(file).size(), 2u + 4 * 15);
}

TEST_F(StartUp, ExitAndClosingANoteEachEndTheProgramWithCodeZeroAndTakeTheIconAway) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  EXPECT_TRUE(WaitUntil([] { return TrayIconWindow() != nullptr; })) << "no tray icon";
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_TRUE(WaitUntil([] { return TrayIconWindow() == nullptr; }));

  std::string one = CrLfLines(GroupLines("One", 10, 10, 128, "x", 0, 8252912, 0, 0, 0, 0));
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(one, 1));
  EXPECT_TRUE(WaitUntil([] { return TrayIconWindow() != nullptr; }));
  // Alt+F4 on a note asks its window to close: the whole program ends, saving nothing.
  PostMessageA(Note(1), WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(WaitForExit(app, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(WaitUntil([] { return TrayIconWindow() == nullptr; }));
  EXPECT_EQ(File(), one);
}

TEST_F(StartUp, AboutShowsTheVersionAndCreditsInAnInformationBox) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  for (int time = 0; time < 2; ++time) {
    PostMenuItem(app.owner, About);
    HWND box = WaitForDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), "Tackpad");
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassOf(child) == "Static" && TextOf(child).size() > text.size()) text = TextOf(child);
    }
    EXPECT_EQ(text.rfind("Tackpad v1.1\n\n", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7) << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  }
  EXPECT_TRUE(Ping(app));
  EXPECT_FALSE(HasFile());
}

}  // namespace
