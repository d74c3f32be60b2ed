#include "file_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_io.h"
#include "memory.h"
#include "settings_store.h"
#include "text.h"

namespace fs = std::filesystem;

void SettingsFileTest::SetUp() {
  static int serial = 0;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path folder = fs::temp_directory_path() /
                    ("tackpad_" + std::string(info->name()) + "_" + std::to_string(++serial));
  fs::remove_all(folder);
  fs::create_directories(folder);
  folder_ = folder.string();
  file_ = PathOf("Settings.ini");
  StartTextHelpers();
  InitSettingsStore();
}

void SettingsFileTest::TearDown() {
  EndSettingsStore();
  fileFaults = FileFaults{};
  FailAllocationsAfter(-1);
  EndTextHelpers();
  std::error_code ignored;
  fs::permissions(file_, fs::perms::owner_all, ignored);
  fs::remove_all(folder_, ignored);
}

std::string SettingsFileTest::PathOf(const std::string& name) const { return (fs::path(folder_) / name).string(); }

void SettingsFileTest::Put(const std::string& bytes, const std::string& name) const {
  std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string SettingsFileTest::Get(const std::string& name) const {
  std::ifstream in(PathOf(name), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

bool SettingsFileTest::Exists(const std::string& name) const { return fs::exists(PathOf(name)); }

std::string DescribeDocument() {
  std::string out;
  const EntryList& list = settingsStore.entries;
  for (EntryIndex i = FirstEntry(list); i != noEntry; i = NextEntry(list, i)) {
    const SettingsEntry& e = EntryAt(list, i);
    std::string text(e.text, e.textLength);
    if (e.kind == GroupEntry) out += "[" + text + "]";
    else if (e.kind == CommentEntry) out += ";" + text;
    else out += "<" + text + ">=<" + std::string(e.value, e.valueLength) + ">";
    out += "|";
  }
  return out;
}
