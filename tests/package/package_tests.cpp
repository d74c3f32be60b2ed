// The release as a Windows user meets it, in a Wine prefix nobody has used: the installer run
// silently, Tackpad started as its Start-menu shortcut starts it, an upgrade over a running
// Tackpad, the uninstaller; and beside them the portable zip, unpacked and run.
#include <windows.h>
// After windows.h, which they need.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "commands.h"
#include "driver.h"
#include "note.h"

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tackpad";

std::string Folder(int id) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, id, nullptr, 0, path);
  return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool HasNote(const std::string& folder, const std::string& title) {
  std::string file;
  return ReadBytes(folder + "\\Settings.ini", file) && file.find("[" + title + "]\r\n") != std::string::npos;
}

// Runs an installer or uninstaller silently to its end; its exit code, or -1.
long Silently(const std::string& exe) {
  RunningApp run;
  DWORD code = 0;
  return StartApp(exe.c_str(), Place{"C:\\", ""}, nullptr, run, " /S") && WaitForExit(run, &code, 60000) ? code : -1;
}

// A shortcut's target and working folder, read through the shell's own link interface.
std::string ReadShortcut(const std::string& path) {
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  char target[MAX_PATH] = "", folder[MAX_PATH] = "";
  CoInitialize(nullptr);
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(std::wstring(path.begin(), path.end()).c_str(), STGM_READ))) {
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
  }
  if (file) file->Release();
  if (link) link->Release();
  return CharLowerA(target) + std::string(" in ") + CharLowerA(folder);
}

// Starts Tackpad in `folder`, as a shortcut with that working folder does, and makes a note.
void StartWithNote(const std::string& exe, const std::string& folder, const char* title, RunningApp& app) {
  LeaveWindowsUnmanaged("Tackpad.exe");
  ASSERT_TRUE(StartApp(exe.c_str(), Place{folder, ""}, "WindowClass_1000", app)) << exe << " (error " << GetLastError() << ")";
  PostCommand(app.owner, NewNoteItem);
  ASSERT_TRUE(AnswerTitle(WaitForWindow(app.process.dwProcessId, "InputRequester"), title));
  ASSERT_TRUE(WaitUntil([&] { return HasNote(folder, title); })) << "no note in " << folder;
}

TEST(Release, InstallsForTheUserAndKeepsTheNotesThroughAnUpgradeAndTheUninstall) {
  const std::string program = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tackpad";
  const std::string notes = Folder(CSIDL_APPDATA) + "\\Tackpad";
  const std::string links[] = {Folder(CSIDL_PROGRAMS) + "\\Tackpad.lnk", Folder(CSIDL_STARTUP) + "\\Tackpad.lnk"};
  ASSERT_FALSE(Exists(program)) << "the Wine prefix is not a fresh one";
  ASSERT_EQ(Silently(SETUP), 0);
  std::string installed, built, lower = program + "\\tackpad.exe in " + notes;
  ASSERT_TRUE(ReadBytes(program + "\\Tackpad.exe", installed) && ReadBytes(BUILT_EXE, built));
  EXPECT_TRUE(installed == built) << "the installed exe is not the one built";
  for (const std::string& link : links) EXPECT_EQ(ReadShortcut(link), CharLowerA(&lower[0])) << link;
  for (const char* name : {"DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "UninstallString"}) {
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, UninstallKey, name, RRF_RT_REG_SZ, nullptr, nullptr, nullptr), 0) << name;
  }

  RunningApp started, portable;
  ASSERT_NO_FATAL_FAILURE(StartWithNote(program + "\\Tackpad.exe", notes, "Shopping", started));
  const Place unpacked = FreshDirectory("portable");  // the zip, beside the installed program
  ASSERT_TRUE(RunOnHost("cd '" + unpacked.unix + "' && unzip -q '" ZIP "' && [ \"$(ls | tr '\\n' ' ')\" = "
                        "'README.txt Tackpad.exe ' ]"));
  ASSERT_NO_FATAL_FAILURE(StartWithNote(unpacked.windows + "\\Tackpad.exe", unpacked.windows, "Carry", portable));

  // The upgrade asks the installed Tackpad, not the portable one, to end, and starts it again;
  // with its file held by another program, that Tackpad asks nothing and keeps its change (the
  // note taken off the top) in a recovery file.
  HANDLE held = CreateFileA((notes + "\\Settings.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  PostCommand(WaitForWindow(started.process.dwProcessId, "WindowClass_2"), OnTopItem);
  ASSERT_EQ(Silently(SETUP), 0);
  CloseHandle(held);
  DWORD code = 99;
  EXPECT_TRUE(WaitForExit(started, &code, 0) && code == 0) << "the upgrade did not end the old Tackpad";
  WIN32_FIND_DATAA recovery;
  HANDLE search = FindFirstFileA((notes + "\\Tackpad notes not saved *.ini").c_str(), &recovery);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no recovery file";
  FindClose(search);
  std::string kept;
  EXPECT_TRUE(ReadBytes(notes + "\\" + recovery.cFileName, kept) && kept.find("OnTop = 0") != std::string::npos);
  EXPECT_FALSE(WaitForExit(portable, &code, 0)) << "the upgrade ended the portable Tackpad";
  HWND note = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    for (note = nullptr; (note = FindWindowExA(nullptr, note, "WindowClass_1", nullptr));) {
      if (TextOf(ChildOf(note, "Static")) == "Shopping") return true;
    }
    return false;
  })) << "the upgrade did not start Tackpad again with its note";

  // The uninstaller ends the running Tackpad too; the notes stay.
  ASSERT_EQ(Silently(program + "\\Uninstall.exe"), 0);
  EXPECT_TRUE(WaitUntil([&] {
    return !Exists(program) && RegGetValueA(HKEY_CURRENT_USER, UninstallKey, "DisplayName", RRF_RT_ANY, 0, 0, 0);
  }));
  for (const std::string& link : links) EXPECT_FALSE(Exists(link)) << link;
  EXPECT_FALSE(IsWindow(note));
  EXPECT_TRUE(HasNote(notes, "Shopping"));
  EXPECT_TRUE(ExitApp(portable, ExitItem, &code) && HasNote(unpacked.windows, "Carry"));
}

}  // namespace
