// When "Settings.ini" cannot be written: the person is told, nothing is lost, an end asks first; and
// a deleted note is kept in the bin first.
#include "fixture.h"

#include <commctrl.h>

#include "local_time.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using Failures = E2eTest;

const std::string Kept = CrLfLines(GroupLines("Kept", 100, 100, 258, "one", 0, 8252912, 0, 0, 0, 0));
const std::string Gone = CrLfLines(GroupLines("Gone", 400, 100, 258, "two", 0, 8252912, 0, 0, 0, 0));
const std::string HeldReason = "another program has Settings.ini open";

// Another program holding the file, open for reading and sharing it with readers only.
using Held = std::unique_ptr<void, decltype(&CloseHandle)>;
Held Hold(const std::string& path) {
  return Held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr), CloseHandle);
}

// The message box's text, from whichever of its labels holds it.
std::string BoxText(HWND box) {
  std::string text;
  for (HWND label = nullptr; (label = FindWindowExA(box, label, "Static", nullptr));) text += TextOf(label);
  return text;
}

// True once the mouse over a tray icon shows `tip`; Wine shows no tip while a balloon stands.
// A tip waits for the mouse to rest, and every move starts that wait again: the mouse is moved,
// then left still a while.
bool TipShows(const std::function<bool(const std::string&)>& matches) {
  const auto shown = [&] {
    const std::vector<HWND> tips = TrayTooltips(false);
    return std::any_of(tips.begin(), tips.end(), [&](HWND w) { return matches(TextOf(w)); });
  };
  return WaitUntil([&] {
    for (HWND icon : TrayIcons()) Xdo("mousemove_relative -- 1 1", icon);
    return WaitUntil(shown, 1500);
  }, 45000);
}

bool TipShows(const std::string& tip) { return TipShows([&](const std::string& shown) { return shown == tip; }); }

TEST_F(Failures, AHeldFileIsToldOnceByCauseAndWhatItRefusedIsStoredOnceItIsFree) {
  ASSERT_NO_FATAL_FAILURE(Launch((Kept + Gone).c_str(), 3));
  // A balloon another program left would read as this one's.
  ASSERT_TRUE(WaitUntil([] { return BalloonSaying("", 0) == nullptr; }, 35000));
  Held held = Hold(InPlace(dir, "Settings.ini"));
  PostCommand(Note(1), OnTopItem);
  HWND balloon = BalloonSaying(HeldReason);
  ASSERT_NE(balloon, nullptr) << "no balloon";
  EXPECT_TRUE(TipShows("Tackpad: changes not saved, " + HeldReason));
  ShowWindow(balloon, SW_HIDE);  // read: a balloon shown again would stand anew
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(balloon); }));
  HWND gone = Note(3);
  PostCommand(gone, DeleteNoteItem);  // the same cause again
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(gone); }));
  EXPECT_EQ(BalloonSaying(HeldReason, 5000), nullptr) << "the same cause was told again";
  EXPECT_EQ(File(), Kept + Gone);

  held.reset();
  PostCommand(Note(1), SaveNoteItem);
  EXPECT_EQ(Changed(Kept + Gone), WithKey(Kept, "Kept", "OnTop", "1")) << "the refused key and deletion";
  const std::string path = InPlace(dir, "Settings.ini");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  PostCommand(Note(1), OnTopItem);
  EXPECT_NE(BalloonSaying("Settings.ini is read-only"), nullptr) << "another cause is told";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  PostCommand(Note(1), SaveNoteItem);
  EXPECT_TRUE(TipShows("Tackpad")) << "a store succeeded";
}

TEST_F(Failures, DeleteKeepsTheGroupAsStoredInTheBinAfterItsTimeAndABinHeldByAnotherKeepsTheNote) {
  std::string odd = Gone;  // as a hand edit leaves it: the bin keeps its bytes
  for (std::size_t at; (at = odd.find(" = ")) != std::string::npos;) odd.replace(at, 3, "=");
  for (std::size_t at; (at = odd.find("\r\n")) != std::string::npos;) odd.replace(at, 2, "\n");
  ASSERT_NO_FATAL_FAILURE(Launch((Kept + odd).c_str(), 3));
  const std::string bin = InPlace(dir, "Deleted notes.ini");
  // The bin from `at`: "; Deleted ", the time, deleted no sooner than `from`, then `group` to the end.
  auto binned = [&](std::size_t at, const std::string& from, const std::string& group, std::string& read) {
    const std::string to = std::string(LocalNow().text);
    if (!ReadBytes(bin, read) || read.size() < at + 31) return false;
    const std::string when = read.substr(at + 10, 19);
    return read.compare(at, 10, "; Deleted ") == 0 && from <= when && when <= to && read.substr(at + 29) == "\r\n" + group;
  };
  std::string first, both, from = std::string(LocalNow().text);
  PostCommand(Note(3), DeleteNoteItem);
  EXPECT_EQ(Changed(Kept + odd), Kept);
  EXPECT_TRUE(binned(0, from, odd, first)) << first;
  {
    Held held = Hold(bin);
    PostCommand(Note(1), DeleteNoteItem);
    EXPECT_NE(BalloonSaying("The note was not deleted: another program has Deleted notes.ini open."), nullptr);
    EXPECT_TRUE(Note(1) && IsWindowVisible(Note(1)));
  }
  EXPECT_EQ(File(), Kept);
  from = std::string(LocalNow().text);
  PostCommand(Note(1), DeleteNoteItem);
  EXPECT_EQ(Changed(Kept), "");
  EXPECT_TRUE(binned(first.size() + 2, from, Kept, both) && both.substr(0, first.size() + 2) == first + "\r\n") << both;
}

TEST_F(Failures, ExitAsksCancelKeepsTheProgramTryAgainStoresContinueEndsWithoutStoringAndAStartMeanwhileWaits) {
  ASSERT_NO_FATAL_FAILURE(Launch(Kept.c_str(), 1));
  const std::string onTop = WithKey(Kept, "Kept", "OnTop", "1");
  auto question = [&] {
    HWND box = Dialog("#32770");
    const std::string asked = "another program has Settings.ini open.\n\nThese notes have changes that would be "
                              "lost: \"Kept\".";
    EXPECT_TRUE(WaitUntil([&] { return BoxText(box).find(asked) != std::string::npos; })) << BoxText(box);
    return box;
  };
  DWORD code = 99;
  {
    Held held = Hold(InPlace(dir, "Settings.ini"));
    PostCommand(Note(1), OnTopItem);
    PostCommand(app.owner, ExitItem);
    ASSERT_TRUE(CloseDialog(question(), IDCANCEL));
    EXPECT_TRUE(Ping(app)) << "Cancel keeps it running";
    PostCommand(app.owner, ExitItem);
    ASSERT_TRUE(CloseDialog(question(), IDTRYAGAIN));
    HWND again = question();  // still held
    held.reset();
    ASSERT_TRUE(CloseDialog(again, IDTRYAGAIN));
  }
  EXPECT_TRUE(WaitForExit(app, &code) && code == 0);
  EXPECT_EQ(File(), onTop);

  ASSERT_NO_FATAL_FAILURE(Start(1));
  Held held = Hold(InPlace(dir, "Settings.ini"));
  PostCommand(Note(1), OnTopItem);
  PostCommand(app.owner, ExitItem);
  HWND box = question();
  RunningApp ending = app;  // the fixture ends the next start, made while this one ends
  ASSERT_TRUE(StartApp(exe, dir, nullptr, app));
  EXPECT_FALSE(WaitForExit(app, &code, 4000)) << "a start during an exit ended";
  ASSERT_TRUE(CloseDialog(box, IDCONTINUE));
  EXPECT_TRUE(WaitForExit(ending, &code) && code == 0);
  EXPECT_EQ(File(), onTop) << "Continue stores nothing";
  app.owner = WaitForWindow(app.process.dwProcessId, "WindowClass_1000");
  EXPECT_TRUE(app.owner && WaitForWindow(app.process.dwProcessId, "WindowClass_1")) << "it did not run after the end";
}

TEST_F(Failures, TheSessionsEndKeepsWhatTheFileRefusedInARecoveryFileThatTheNextStartNames) {
  ASSERT_NO_FATAL_FAILURE(Launch(Kept.c_str(), 1));
  {
    Held held = Hold(InPlace(dir, "Settings.ini"));
    PostCommand(Note(1), OnTopItem);
    ASSERT_NO_FATAL_FAILURE(Barrier());  // the session's messages are sent: they would come first
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(app.owner, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_TRUE(SendMessageTimeoutA(app.owner, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 15000, nullptr));
    DWORD code = 99;
    EXPECT_TRUE(WaitForExit(app, &code) && code == 0);
  }
  EXPECT_EQ(File(), Kept);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(InPlace(dir, "Tackpad notes not saved *.ini").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no recovery file";
  FindClose(search);
  const std::string recovery = InPlace(dir, found.cFileName);
  std::string kept;
  EXPECT_TRUE(ReadBytes(recovery, kept) && kept.rfind("; Every note", 0) == 0 &&
              kept.substr(kept.find("\r\n") + 2) == WithKey(Kept, "Kept", "OnTop", "1")) << kept;

  ASSERT_NO_FATAL_FAILURE(Start(1));
  EXPECT_NE(BalloonSaying("Unsaved notes were kept in " + recovery), nullptr);
  // A path too long for the tip is cut from its middle: where it starts and the file's name show.
  const std::string start = "Tackpad: unsaved notes were kept in " + recovery.substr(0, 3);
  const std::string end = std::string("\\") + found.cFileName;
  EXPECT_TRUE(TipShows([&](const std::string& tip) {
    return tip.size() <= 127 && tip.rfind(start, 0) == 0 && tip.size() >= end.size() &&
           tip.compare(tip.size() - end.size(), end.size(), end) == 0;
  })) << recovery;
}

}  // namespace
