// What is typed reaches the file at a pause, as typed, and nothing else is ever written.
#include <atomic>
#include <set>
#include <thread>

#include "fixture.h"
#include "note_text.h"

namespace {

using Typing = E2eTest;

// Notes 1, 3 and 5 hold texts as older copies left them: a backslash and "n" written before is a
// line break still, and so is one whose mark an older copy left stale by rewriting the text beside
// it. Note 7 is typed into. A note only looked at or recoloured is never rewritten: its tab stays.
TEST_F(Typing, ABurstIsStoredAtItsPauseInOneWriteOutlivesAKillAndComesBackAsTypedAndNothingElseIsWritten) {
  const std::string mark = EncodeNoteText("C:\\new").mark;
  const struct { std::string text, mark, shown; } notes[] = {
      {"two\\nlines\ttab", "", "two\r\nlines\ttab"},
      {"C:\\\\new", mark, "C:\\new"},
      {"C:\\\\new edited", mark, "C:\\\r\new edited"},
      {"Path:", "", "Path: C:\\new\\notes\\todo.txt"}};
  std::string file;
  for (const auto& note : notes) {
    const std::string name = "N" + std::to_string(&note - notes);
    file += CrLfLines(GroupLines(name, 280 * int(&note - notes), 100, 258, note.text, 0, 0, 0, 0, 0, 0));
    if (!note.mark.empty()) file = WithKey(file, name, "TextEscaped", note.mark);
  }
  const std::string recoloured = WithKey(file, "N0", "FrontColor", "32768");
  ASSERT_NO_FATAL_FAILURE(Launch(file.c_str(), 7));
  PostCommand(Note(1), TextColorItem);
  ASSERT_TRUE(AnswerColour(Dialog("#32770"), RGB(0, 128, 0)));
  EXPECT_EQ(Changed(file), recoloured);

  const StoredNoteText typed = EncodeNoteText("Path:\tC:\\new\\notes\\todo.txt");
  const std::string expected = WithKey(WithKey(recoloured, "N3", "Text", typed.text), "N3", "TextEscaped", typed.mark);
  std::set<std::string> seen;  // every content the file had from the first key on
  std::atomic<bool> watching{true};
  // Every few milliseconds, not flat out (each read is a round trip through the Wine server), and
  // once more after it is told to stop, so the content that ended the wait is seen too.
  std::thread watcher([&] { do Sleep(5), seen.insert(File()); while (watching); });
  const bool keys = Xdo("click 1 key ctrl+End type --delay 40 '\tC:\\new\\notes\\todo.txt'", EditArea(7));
  const bool storedInTime = WaitUntil([&] { return File() == expected; }, 15000);
  watching = false;
  watcher.join();
  ASSERT_TRUE(keys && storedInTime) << "nothing stored without a command: " << File();
  seen.erase(NoFile);  // Wine's replace moves the old file aside a moment before the new one comes
  EXPECT_EQ(seen, std::set<std::string>({recoloured, expected})) << "one write for one burst, and only the note typed in";
  ASSERT_TRUE(Kill());

  ASSERT_NO_FATAL_FAILURE(Start(7));
  // "Save note" stores at once, and a mark that no longer names its text goes, so it never can again.
  PostCommand(Note(5), SaveNoteItem);
  const std::string saved = WithKey(expected, "N2", "TextEscaped", "");
  EXPECT_EQ(Changed(expected), saved);
  for (const auto& note : notes) {
    const int number = 1 + 2 * int(&note - notes);
    EXPECT_EQ(TextOf(EditArea(number)), note.shown);
    ASSERT_TRUE(Xdo("click 1 key ctrl+a ctrl+c End Left Up", EditArea(number)));
  }
  EXPECT_FALSE(WaitUntil([&] { return File() != saved; }, 3000)) << "written after a pause";
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_EQ(File(), saved);
}

// Ctrl with the wheel, plus, minus or 0 steps the text's size through the font dialog's sizes (none
// past 72), shown at once and stored at the pause in one write with the face and style as stored.
// The rich edit's own zoom and formatting keys never act: back at 10 points, the lines wrap as at
// the start, and the text is as it was.
TEST_F(Typing, CtrlWithTheWheelOrAKeyStepsTheTextsSizeStoredAtThePauseAndTheRichEditsOwnKeysNeverAct) {
  std::string text;
  for (int line = 0; line < 6; ++line) text += line ? " The quick brown fox jumps over the lazy dog." : "The quick brown fox jumps over the lazy dog.";
  const std::string file = WithKey(CrLfLines(GroupLines("Big", 100, 100, 258, text, 0, 0, 0, 0, 0, 0)), "Big", "FontStyle", "256");
  ASSERT_NO_FATAL_FAILURE(Launch(file.c_str(), 1));
  HWND edit = EditArea(1);
  auto firstLine = [&] { return SendMessageA(edit, EM_LINEINDEX, 1, 0); };  // the characters it holds
  const LRESULT atTen = firstLine();
  ASSERT_GT(atTen, 0);
  std::set<std::string> seen;
  std::atomic<bool> watching{true};
  std::thread watcher([&] { do Sleep(5), seen.insert(File()); while (watching); });
  const struct { const char* input; const char* size; } steps[] = {
      {"keydown ctrl click --repeat 14 --delay 30 4 keyup ctrl", "72"},  // a storm, two notches beyond the end
      {"key ctrl+minus", "48"},
      {"key ctrl+0", "14"},
      {"key ctrl+plus ctrl+KP_Add", "18"},
      {"key ctrl+equal ctrl+KP_Subtract ctrl+minus ctrl+minus ctrl+minus ctrl+minus ctrl+minus", "10"}};
  for (const auto& step : steps) {
    const std::string expected = WithKey(file, "Big", "FontSize", step.size);
    ASSERT_TRUE(Xdo(step.input, edit)) << step.input;
    EXPECT_TRUE(WaitUntil([&] { return File() == expected; })) << step.input << ": " << File();
    if (&step == steps) {
      watching = false;
      watcher.join();
      EXPECT_EQ(seen, std::set<std::string>({file, expected})) << "one write for the storm";
      EXPECT_LT(firstLine(), atTen);
    }
  }
  EXPECT_EQ(firstLine(), atTen) << "the rich edit zoomed";
  ASSERT_TRUE(Xdo("key ctrl+e ctrl+r ctrl+j ctrl+1 ctrl+2 ctrl+5 ctrl+shift+period ctrl+bracketright ctrl+b ctrl+i "
                  "ctrl+u ctrl+m ctrl+h ctrl+l", edit));
  ASSERT_TRUE(Ping(app));
  EXPECT_EQ(TextOf(edit), text);
  EXPECT_EQ(firstLine(), atTen);
}

}  // namespace
