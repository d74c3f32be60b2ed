// The release as a Windows user meets it, in a Wine prefix nobody has used: the installer run
// silently, Tackpad started as its Start-menu shortcut starts it, an upgrade over a running
// Tackpad, the uninstaller; and beside them the portable zip, unpacked and run.
#include <windows.h>
// After windows.h, which they need.
#include <gtest/gtest.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstring>

#include "commands.h"
#include "driver.h"

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tackpad";

std::string Folder(int id) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, id, nullptr, 0, path);
  return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool HasNote(const std::string& folder, const std::string& title) {
  std::string file;
  return ReadBytes(folder + "\\Settings.ini", file) && file.find("[" + title + "]\r\n") != std::string::npos;
}

// Runs a program to its end; its exit code, or -1.
long RunToEnd(std::string line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -1;
  DWORD code = 0;
  const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended ? static_cast<long>(code) : -1;
}

struct Shortcut {
  std::string target, folder;
};

// Read through the shell's own link interface.
Shortcut ReadShortcut(const std::string& path) {
  Shortcut link;
  IShellLinkA* shell = nullptr;
  IPersistFile* file = nullptr;
  char text[MAX_PATH] = "";
  CoInitialize(nullptr);
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shell)))) {
    return link;
  }
  const std::wstring wide(path.begin(), path.end());
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
    if (SUCCEEDED(shell->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) link.target = text;
    if (SUCCEEDED(shell->GetWorkingDirectory(text, MAX_PATH))) link.folder = text;
  }
  if (file) file->Release();
  shell->Release();
  return link;
}

std::string UninstallValue(const char* name) {
  char value[MAX_PATH] = "";
  DWORD size = sizeof value;
  return RegGetValueA(HKEY_CURRENT_USER, UninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) ? "" : value;
}

// A string of the exe's version resource, as Explorer's Properties show it.
std::string VersionText(const std::string& exe, const char* name) {
  std::string data(GetFileVersionInfoSizeA(exe.c_str(), nullptr), '\0');
  char* text = nullptr;
  UINT length = 0;
  const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (data.empty() || !GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(data.size()), &data[0]) ||
      !VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &length)) {
    return "";
  }
  return text;
}

// True when the process took the common controls of version 6 (the visual style) from the
// side-by-side store, as its manifest asks; without one it gets those of the system folder.
bool UsesCommonControls6(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  HMODULE modules[256];
  DWORD bytes = 0;
  bool found = false;
  if (process && EnumProcessModules(process, modules, sizeof modules, &bytes)) {
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 256; ++i) {
      char path[MAX_PATH] = "";
      GetModuleFileNameExA(process, modules[i], path, MAX_PATH);
      CharLowerA(path);
      found = found || (std::strstr(path, "\\winsxs\\") && std::strstr(path, "common-controls_6595b64144ccf1df_6."));
    }
  }
  if (process) CloseHandle(process);
  return found;
}

// Starts Tackpad in `folder`, as a shortcut with that working folder does, and makes a note.
void StartWithNote(const std::string& exe, const std::string& folder, const char* title, RunningApp& app) {
  LeaveWindowsUnmanaged("Tackpad.exe");
  ASSERT_TRUE(StartApp(exe.c_str(), Place{folder, ""}, "WindowClass_1000", app)) << exe;
  PostCommand(app.owner, NewNoteItem);
  ASSERT_TRUE(AnswerTitle(WaitForWindow(app.process.dwProcessId, "InputRequester"), title));
  ASSERT_TRUE(WaitUntil([&] { return HasNote(folder, title); })) << "no note in " << folder;
}

TEST(Release, InstallsForTheUserAndKeepsTheNotesThroughAnUpgradeAndTheUninstall) {
  const std::string program = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tackpad";
  const std::string exe = program + "\\Tackpad.exe", uninstaller = program + "\\Uninstall.exe";
  const std::string notes = Folder(CSIDL_APPDATA) + "\\Tackpad";
  const std::string links[] = {Folder(CSIDL_PROGRAMS) + "\\Tackpad.lnk", Folder(CSIDL_STARTUP) + "\\Tackpad.lnk"};
  ASSERT_FALSE(Exists(exe)) << "the Wine prefix is not a fresh one";
  ASSERT_EQ(RunToEnd("\"" SETUP "\" /S"), 0);

  std::string installed, built;
  ASSERT_TRUE(ReadBytes(exe, installed) && ReadBytes(BUILT_EXE, built));
  EXPECT_TRUE(installed == built) << "the installed exe is not the one built";
  EXPECT_EQ(VersionText(exe, "ProductName") + " " + VersionText(exe, "ProductVersion"), "Tackpad " VERSION);
  for (const std::string& link : links) {
    const Shortcut shortcut = ReadShortcut(link);
    EXPECT_TRUE(SamePath(shortcut.target, exe)) << link << " starts " << shortcut.target;
    EXPECT_TRUE(SamePath(shortcut.folder, notes)) << link << " starts in " << shortcut.folder;
  }
  const std::pair<const char*, std::string> entries[] = {
      {"DisplayName", "Tackpad"}, {"DisplayVersion", VERSION}, {"Publisher", "The Tackpad developers"},
      {"DisplayIcon", exe + ",0"}, {"UninstallString", "\"" + uninstaller + "\""}};
  for (const auto& entry : entries) EXPECT_EQ(UninstallValue(entry.first), entry.second) << entry.first;

  RunningApp installedApp, portable;
  const Shortcut start = ReadShortcut(links[0]);
  ASSERT_NO_FATAL_FAILURE(StartWithNote(start.target, start.folder, "Shopping", installedApp));
  EXPECT_TRUE(UsesCommonControls6(installedApp.process.dwProcessId));
  // The zip unpacked into a folder of its own runs from there, beside the installed one.
  const Place unpacked = FreshDirectory("portable");
  ASSERT_TRUE(RunOnHost("unzip -q '" ZIP "' -d '" + unpacked.unix + "' && [ \"$(unzip -Z1 '" ZIP
                        "' | tr '\\n' ' ')\" = 'Tackpad.exe README.txt ' ]"));
  ASSERT_NO_FATAL_FAILURE(StartWithNote(unpacked.windows + "\\Tackpad.exe", unpacked.windows, "Carry", portable));

  // The upgrade asks the installed Tackpad, not the portable one, to end, and starts it again.
  ASSERT_EQ(RunToEnd("\"" SETUP "\" /S"), 0);
  DWORD code = 99;
  EXPECT_TRUE(WaitForExit(installedApp, &code, 0)) << "the upgrade left the old Tackpad running";
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(WaitForExit(portable, &code, 0)) << "the upgrade ended the portable Tackpad";
  HWND note = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    for (note = nullptr; (note = FindWindowExA(nullptr, note, "WindowClass_1", nullptr));) {
      if (TextOf(ChildOf(note, "Static")) == "Shopping") return true;
    }
    return false;
  }, 20000)) << "the upgrade did not start Tackpad again with its note";
  EXPECT_TRUE(HasNote(notes, "Shopping"));

  // The uninstaller ends the running Tackpad too; the notes stay.
  ASSERT_EQ(RunToEnd("\"" + uninstaller + "\" /S"), 0);
  EXPECT_TRUE(WaitUntil([&] { return !Exists(program) && UninstallValue("DisplayName").empty(); }, 20000));
  for (const std::string& link : links) EXPECT_FALSE(Exists(link)) << link;
  EXPECT_FALSE(IsWindow(note));
  EXPECT_TRUE(HasNote(notes, "Shopping"));
  EXPECT_TRUE(ExitApp(portable, ExitItem, &code));
  EXPECT_TRUE(HasNote(unpacked.windows, "Carry"));
}

}  // namespace
