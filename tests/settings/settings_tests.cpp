#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "daily_copy.h"
#include "file_io.h"
#include "local_time.h"
#include "memory.h"
#include "note_bin.h"
#include "settings_internal.h"
#include "text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include "simulated_disk.h"
#endif

// The library's memory fails with the store's own, so a refusal anywhere in the store must come
// back as a failed call, never as an exception through its interface.
void* operator new(std::size_t size) {
  if (void* block = AllocateBytes(size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { ReleaseBytes(block); }
void operator delete(void* block, std::size_t) noexcept { ReleaseBytes(block); }

namespace {

using namespace std::string_literals;

std::string Read(const std::filesystem::path& file) {
  return {std::istreambuf_iterator<char>(std::ifstream(file, std::ios::binary).rdbuf()), {}};
}

// Each test works on a Settings.ini in a fresh folder of its own and starts with a closed store.
class Settings : public ::testing::TestWithParam<std::uint32_t> {
 public:
  void SetUp() override {
    static int serial = 0;  // in the working folder, the build's own: runs of other builds never meet
    folder_ = "tackpad_settings_" + std::to_string(++serial);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    file_ = folder_ + "/Settings.ini";
    InitSettingsStore();
    SetSettingsHooks({nullptr, KeepDailyCopy});
    callerCodePage = GetParam();
    fixedLocalNow = "2026-12-09 10:00:00";
  }
  void TearDown() override {
    EndSettingsStore();
    fileFaults = FileFaults{};
    FailAllocationsAfter(-1);
    fixedLocalNow = nullptr;
    std::filesystem::remove_all(folder_);
  }
  void Put(const std::string& bytes) const { std::ofstream(file_, std::ios::binary) << bytes; }
  std::string Get() const { return Read(file_); }
  const char* File() const { return file_.c_str(); }

  std::string folder_, file_;
};

// Latin-1 text as the caller hands it in: UTF-8 for a UTF-8 caller.
std::string Caller(const std::string& latin1, bool utf8 = callerCodePage == Utf8Encoding) {
  std::string out;
  for (unsigned char c : latin1) {
    if (!utf8 || c < 0x80) out += static_cast<char>(c);
    else out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
  }
  return out;
}

TEST_P(Settings, EveryLineIsReadAndWrittenInTheOneLayout) {
  const std::string plain = "justtext = \r\nnext = 1\r\n";
  const std::pair<std::string, std::string> cases[] = {
      {"  [Note 1]  trailing words\r\nXPos=10\r\n", "[Note 1]\r\nXPos = 10\r\n"},
      {"[ a ]\n[abc\n[]\n", "[ a ]\r\n[abc]\r\n[]\r\n"}, {"Key   =   some value  \n", "Key = some value  \r\n"},
      {"a=b=c\n=v\n\t# not a comment\n", "a = b=c\r\n = v\r\n# not a comment = \r\n"},
      {";comment\n; comment\n;  two\n;\n", "; comment\r\n; comment\r\n;  two\r\n; \r\n"},
      {"top=1\n[A]\nk=1\nk=2\n[a]\n", "top = 1\r\n[A]\r\nk = 1\r\nk = 2\r\n[a]\r\n"},
      {"justtext\r\nnext=1", plain}, {"justtext\nnext=1\n", plain}, {"justtext\rnext=1\r", plain},
      {"\r\n\r\n  \t\r\n[g]\n\n\n\r\r  x = 1\n   \t", "[g]\r\nx = 1\r\n"}, {"", ""},
      {"\0k\0=a\0b\n"s, "k = a\0b\r\n"s}, {"\xEF\xBB\xBF", "\xEF\xBB\xBF\r\n"}, {"\xEF\xBB", "\xEF\xBB = \r\n"},
      {"\xEF\xBB\x41=1\n", "\xEF\xBB\x41 = 1\r\n"},
      {" \xEF\xBB\xBFkey=\xE9\n", "\r\n\xEF\xBB\xBFkey = \xE9\r\n"},  // stays a plain file
      {std::string(10 << 20, 'x'), std::string(10 << 20, 'x') + " = \r\n"}};
  for (const auto& [bytes, layout] : cases) {  // written back after one more key in a last group of its own
    Put(bytes);
    OpenSettings(File());
    SelectGroup("end");
    WriteKeyLong("k", 1);
    CloseSettings();
    EXPECT_EQ(Get(), layout + "[end]\r\nk = 1\r\n") << bytes;
  }
}

TEST_P(Settings, ReadingNumbersAndTexts) {
  Put("[g]\nn=  -12abc\ne=\nw=x\nbig=99999999999\nneg=-99999999999\nmin=-2147483648\n"
      "plus=+7\ns=  x \t\nz=a\0b\nafter=1\n"s);
  OpenSettings(File());
  SelectGroup("g");
  struct Case { const char* key; std::int32_t number; const char* text; };
  const Case cases[] = {{"n", -12, "-12abc"}, {"e", 0, ""}, {"w", 0, "x"}, {"big", INT32_MAX, "99999999999"},
                        {"neg", INT32_MIN, "-99999999999"}, {"min", INT32_MIN, "-2147483648"}, {"plus", 7, "+7"},
                        {"s", 0, "x"}, {"z", 0, "a b"}, {"after", 1, "1"}, {"missing", 5, "default"}};
  for (const Case& c : cases)
    EXPECT_EQ(std::make_pair(ReadKeyLong(c.key, 5), ReadKeyString(c.key, "default")),
              std::make_pair(c.number, std::string(c.text))) << c.key;
}

const std::string mark = "\xEF\xBB\xBF";
// The group's name is longer than a short string keeps in place, so naming it takes memory.
const std::string oldFile = "; kept\n[Shopping for the week]\nXPos=100\nText=milk\\neggs\n[Work]\nXPos=5\n";

// A command as loading and "Save note" make it: every name read, the note's text read and, only
// when all was read whole, written back beside a new text; another group removed.
bool Cycle(const char* file, const std::string& note, const std::string& gone) {
  OpenSettings(file);
  bool found = false;
  for (StartGroups(); NextGroup();) found = CurrentGroupName() == note || found;
  const bool whole = !SettingsReadFailed();
  SelectGroup(found ? note.c_str() : "");  // as loading selects a name it read
  const std::string old = ReadKeyString("Text", "");
  if (!whole || SettingsReadFailed()) return CloseSettings() && false;
  SelectGroup(note.c_str());  // as a command selects its note's group
  WriteKeyLong("XPos", 100);
  WriteKeyString("Before", old.c_str());
  WriteKeyString("Text", note.c_str());
  RemoveGroup(gone.c_str());
  return CloseSettings();
}

// Names and values beyond ASCII and beyond a short string, in the legacy code page, in UTF-8 in a
// plain file, and in a byte-order-mark file: every single failure and every failure from some
// allocation on leaves either the whole command's bytes or the old ones.
TEST_P(Settings, RunningOutOfMemoryAnywhereLeavesOldOrNewBytes) {
  const std::string note = "Caf\xE9 on the corner", gone = "\xC7" "a va, \xE0 bient\xF4t!";
  const std::string utf8 = "[Z\xC3\xBCrich in the springtime]\nText=cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e, twice\n";
  std::string legacy = oldFile + "[" + note + "]\nText=cr\xE8me br\xFBl\xE9" "e, twice\n[" + gone + "]\nk=v\n";
  for (int i = 0; i < 2100; ++i) legacy += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";  // many blocks
  for (const std::string& before : {legacy + utf8, mark + utf8 + Caller(legacy, true)}) {
    Put(before);
    ASSERT_TRUE(Cycle(File(), Caller(note), Caller(gone)));
    const std::string after = Get();
    for (long failures : {-1L, 1L}) {
      bool reached = true;
      for (long n = 0; reached; ++n) {
        Put(before);
        std::filesystem::remove_all(folder_ + "/Backups");  // so the day's copy is made under the failures too
        ReleaseSpareEntries();  // so every open allocates its entries afresh
        EndTextHelpers();       // and the scratch area too
        const std::string name = Caller(note), other = Caller(gone);
        FailAllocationsAfter(n, failures);
        const bool closed = Cycle(File(), name, other);
        reached = FailAllocationsAfter(-1) == 0;
        ASSERT_EQ(Get(), closed ? after : before) << "failing allocation " << n << " of " << failures;
        const std::string copy = folder_ + "/Backups/Settings-2026-12-09.ini";
        ASSERT_TRUE(!std::filesystem::exists(copy) || Read(copy) == before) << "failing allocation " << n;
        ASSERT_TRUE(closed || reached) << "a command with all its memory failed";
      }
    }
  }
  for (std::uint32_t length : {UINT32_MAX, UINT32_MAX - 1, INT32_MAX - 8u}) {  // each makes a line beyond 31 bits
    Put(oldFile);
    OpenSettings(File());
    EXPECT_EQ(PrepareKeyValue("Text", length), nullptr);
    EXPECT_FALSE(CloseSettings());
    EXPECT_EQ(Get(), oldFile);
  }
}

#ifdef _WIN32
const std::string euro = "\xE2\x82\xAC";  // code page 1252's 0x80
#else
const std::string euro = "\xC2\x80";  // natively every legacy code page is Latin-1
#endif

// A title in both forms (one portable copy run on Windows with and without UTF-8) is its UTF-8 group;
// a byte-order-mark file is read through code page 1252, and what that cannot hold is a failed read.
TEST_P(Settings, EachTextIsReadThroughItsOwnCodePageAndATitleInBothFormsIsItsUtf8Group) {
  const bool utf8 = GetParam() == Utf8Encoding;
  const std::string legacy = "[caf\xE9]\r\nText = legacy 5\x80\r\n";
  Put(utf8 ? legacy + "[Caf\xC3\xA9]\r\nText = utf8\r\n"
           : mark + "[g]\r\nfits = caf\xC3\xA9\r\nomega = \xCE\xA9\r\ncut = caf\xC3\r\n");
  struct Case { const char *group, *key, *read; bool failed; };
  const Case cases[] = {{"Café", "Text", "utf8", false}, {"g", "fits", "caf\xE9", false}, {"g", "omega", "", true},
                        {"g", "cut", "", true}, {"g", "missing", "d", false}};
  OpenSettings(File());
  for (const Case& c : cases) {
    if ((*c.group == 'g') == utf8) continue;
    SelectGroup(c.group);
    EXPECT_EQ(ReadKeyString(c.key, "d"), c.read) << c.key;
    EXPECT_EQ(SettingsReadFailed(), c.failed) << c.key;
  }
  WriteKeyString(utf8 ? "Text" : "euro", utf8 ? "new" : "5\x80");
  CloseSettings();
  EXPECT_TRUE(utf8 || Get().find("euro = 5" + euro + "\r\n") != std::string::npos) << Get();
  if (!utf8) return;
  EXPECT_EQ(Get(), legacy + "[Caf\xC3\xA9]\r\nText = new\r\n");
  OpenSettings(File());
  RemoveGroup("café");
  SelectGroup("café");
  EXPECT_EQ(ReadKeyString("Text", ""), "legacy 5" + euro);
  CloseSettings();
  EXPECT_EQ(Get(), legacy);
}

// What the folder holds beside the file, by content: nothing, once a command is over.
std::vector<std::string> Neighbours(const std::string& file) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(file).parent_path()))
    if (entry.is_regular_file() && entry.path().filename() != std::filesystem::path(file).filename())
      found.push_back(Read(entry.path()));
  return found;
}

#ifndef _WIN32
// Each command runs with a temporary file left beside the file by a crash, which it must never read.
// The day's copy comes first: it is the old file whole or missing, and a step of it refused stops nothing.
TEST_P(Settings, APowerCutAfterAnyStepLeavesTheOldFileOrTheNewAndARefusedStepTheOld) {
  const std::string notes = "; kept\r\n[Shopping for the week]\r\nXPos = 100\r\nText = milk\\neggs\\nbread\r\n[Home]\r\n"
                            "XPos = 5\r\nText = call Anna";  // no line end at the very end
  struct Case { const char* name; std::string before; std::function<void()> change; bool linked = false; };
  const Case cases[] = {
      {"a new group", notes, [] { SelectGroup("Garden"); WriteKeyLong("Size", 258); }},
      {"a key changed", notes, [] { SelectGroup("Home"); WriteKeyLong("XPos", 6); }},
      {"a group removed", notes, [] { RemoveGroup("Shopping for the week"); }},
      {"the file growing", notes, [] { SelectGroup("Home"); WriteKeyString("Text", std::string(300, 'g').c_str()); }},
      {"the file shrinking", notes, [] { SelectGroup("Shopping for the week"); WriteKeyString("Text", "milk"); }},
      {"a byte-order-mark file", mark + notes, [] { SelectGroup("Home"); WriteKeyLong("XPos", 6); }},
      {"a new file", "none", [] { SelectGroup("Home"); WriteKeyLong("XPos", 6); }},
      {"a file behind a symbolic link, which stays", notes, [] { RemoveGroup("Home"); }, true}};
  const std::string leftover = "[Left by a crash]\n";
  for (const Case& c : cases) {
    const std::string real = std::filesystem::absolute(c.linked ? folder_ + "/elsewhere/notes.ini" : file_).string();
    auto run = [&](std::size_t refused) {
      std::filesystem::remove_all(folder_);
      std::filesystem::create_directories(folder_ + "/elsewhere");
      if (c.linked) std::filesystem::create_symlink("elsewhere/notes.ini", file_);
      if (c.before != "none") Put(c.before), chmod(real.c_str(), 0666);  // more than a new file gets
      std::ofstream(real + ".0BADF00D.tmp") << leftover;
      StartDisk(real, c.before, refused);
      OpenSettings(File());
      c.change();
      const bool closed = CloseSettings();
      onDiskStep = nullptr;
      return closed;
    };
    ASSERT_TRUE(run(SIZE_MAX) && Neighbours(real).empty() && std::filesystem::is_symlink(file_) == c.linked) << c.name;
    EXPECT_TRUE(c.before == "none" || std::filesystem::status(real).permissions() == std::filesystem::perms(0666));
    const std::string after = Get(), copy = folder_ + "/Backups/Settings-2026-12-09.ini";
    const std::size_t steps = disk.steps.size();
    for (std::size_t count = 0; count <= steps; ++count) {
      for (const std::string& held : AfterCut(count, real))
        EXPECT_TRUE(held == c.before || held == after) << c.name << ", cut after step " << count << ":\n" << held;
      for (const std::string& kept : AfterCut(count, copy))
        EXPECT_TRUE(kept == c.before || kept == "none") << c.name << ", cut after step " << count << ":\n" << kept;
    }
    // From the write of the file to its swap a refusal is reported and leaves nothing new behind;
    // after the swap, the file is new.
    auto first = [&](auto match) { return std::find_if(disk.steps.begin(), disk.steps.end(), match) - disk.steps.begin(); };
    auto names = [&](const std::string& name, const std::string& path) {
      return !name.empty() && std::filesystem::absolute(name).string() == path;
    };
    const std::size_t writing = first([&](const auto& s) {
      return s.kind == DiskStep::Create && names(std::filesystem::path(s.name).parent_path().string() + "/" +
                                                     std::filesystem::path(s.name).stem().stem().string(), real);
    });
    const std::size_t swap = first([&](const auto& s) { return names(s.to, real); });
    for (std::size_t refused = 0; refused < steps; ++refused) {
      const bool closed = run(refused);
      const std::string held = std::filesystem::exists(file_) ? Get() : "none";
      const bool clean = Neighbours(real).empty() || Neighbours(real) == std::vector<std::string>{leftover};
      EXPECT_TRUE(closed ? held == after : held == c.before && SettingsWriteFailure() == FileFailure::DiskFull && clean)
          << c.name << ", refused step " << refused << ":\n" << held;
      EXPECT_EQ(closed, refused < writing || refused > swap) << c.name << ", refused step " << refused;
      EXPECT_TRUE(std::filesystem::exists(copy) ? Read(copy) == c.before
                                                : c.before == "none" || DailyCopyFailure() == FileFailure::DiskFull)
          << c.name << ", refused step " << refused;
    }
  }
}
#endif

// A group as the bin keeps it: each line as the file holds it, with its own line end, and a line that
// a write changed as written; nothing from a file not read whole.
TEST_P(Settings, AGroupIsHandedOutLineByLineAsTheFileHoldsItOrAsAWriteChangedIt) {
  Put("top=1\n[A]\n  XPos=1 \r\n;note\rText = a\0b\r\n[B]  trailing\n\n\tk=v"s);
  struct Case { const char *group, *changed; std::string text; };
  const Case cases[] = {{"a", nullptr, "[A]\n  XPos=1 \r\n;note\rText = a\0b\r\n"s},
                        {"B", nullptr, "[B]  trailing\n\tk=v\r\n"}, {"B", "k", "[B]  trailing\nk = 2\r\n"},
                        {"C", nullptr, ""}, {"C", "k", "[C]\r\nk = 2\r\n"}};
  std::string text;
  for (const Case& c : cases) {
    OpenSettings(File());
    if (c.changed) SelectGroup(c.group), WriteKeyLong(c.changed, 2);
    EXPECT_EQ(StoredGroupText(c.group, text), FileFailure::None);
    EXPECT_EQ(text, c.text) << c.group << (c.changed ? " changed" : "");
    DiscardSettings();
  }
  fileFaults.shortReadBy = 10;
  OpenSettings(File());
  EXPECT_EQ(StoredGroupText("A", text), FileFailure::Unread);
}

// Each day's first write keeps the file as it stood, byte for byte, in "Backups"; a copy that failed
// is made at the next write; the newest fourteen days stay, the day's own too after the clock was
// set back, and files of the person's own there too.
TEST_P(Settings, EachDaysFirstWriteKeepsTheFileAsItStoodAndTheNewestFourteenDaysStay) {
  const std::string backups = folder_ + "/Backups", mine = "Settings-2026-12-01 before the move.ini";
  auto date = [](int day) { return day ? "2026-12-" + std::string(day < 10 ? "0" : "") + std::to_string(day) : "2026-11-30"; };
  auto write = [&](int day, int value) {
    const std::string stamp = date(day) + " 23:59:59";
    fixedLocalNow = stamp.c_str();
    OpenSettings(File());
    SelectGroup("g");
    WriteKeyLong("k", value);
    EXPECT_TRUE(CloseSettings()) << day;
    return "Settings-" + date(day) + ".ini";
  };
  Put(mark + "[g]\nk=0\n");
  OpenSettings(File());
  CloseSettings();
  EXPECT_FALSE(std::filesystem::exists(backups)) << "loading made a copy";
  EXPECT_EQ(Read(backups + "/" + write(1, 1)), mark + "[g]\nk=0\n");
  std::ofstream(backups + "/" + mine) << "mine";
  std::filesystem::rename(backups, backups + " moved");
  std::ofstream(backups) << "a file in the way";
  std::string before = Get();
  EXPECT_FALSE(std::filesystem::exists(backups + "/" + write(2, 2)));
  EXPECT_EQ(std::make_pair(Get() != before, DailyCopyFailure()), std::make_pair(true, FileFailure::Other));
  std::filesystem::remove(backups);
  std::filesystem::rename(backups + " moved", backups);
  std::vector<std::string> expected{mine};
  for (int day = 2; day <= 15; ++day) {
    before = Get();
    write(day, 10 * day);
    EXPECT_EQ(Read(backups + "/" + write(day, 10 * day + 1)), before) << "not the day's first state: " << day;
    EXPECT_EQ(DailyCopyFailure(), FileFailure::None);
    if (day > 2) expected.push_back("Settings-" + date(day) + ".ini");
  }
  expected.push_back(write(0, 0));  // the clock set back: the day's copy stays however old its date
  std::vector<std::string> kept;
  for (const auto& entry : std::filesystem::directory_iterator(backups)) kept.push_back(entry.path().filename().string());
  std::sort(kept.begin(), kept.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(kept, expected);
}

enum Condition { Directory, AppearsAfterOpen, ShortRead, FailedRead, TooLarge, ReadOnly, Immutable, HeldByAnother,
                 HeldForReading, HeldWithoutDeleteSharing, HeldForAMoment, SwapFails, SwapFailsHalfway,
                 LeftoversHeld };

// Puts the file into the condition; gives back what takes it out again.
std::function<void()> Impose(Condition condition, const std::string& file) {
  if (condition == Directory) std::filesystem::create_directory(file);
  if (condition > AppearsAfterOpen) std::ofstream(file, std::ios::binary) << oldFile;
  fileFaults.shortReadBy = condition == ShortRead ? 10 : 0;
  fileFaults.failRead = condition == FailedRead;
  if (condition == TooLarge) {
    std::filesystem::resize_file(file, 0x90000000ull);
    return [file] { std::filesystem::resize_file(file, oldFile.size()); };
  }
#ifdef _WIN32
  if (condition == ReadOnly) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
  fileFaults.failReplaceWith = condition == SwapFails ? ERROR_UNABLE_TO_MOVE_REPLACEMENT
                             : condition == SwapFailsHalfway ? ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 : 0;
  if (condition == LeftoversHeld) {  // as a scanner or a sync client holds what an earlier replace left
    std::vector<std::pair<std::string, HANDLE>> left;
    for (const char* name : {".new", ".0BADF00D.tmp"}) {
      left.push_back({file + name, CreateFileA((file + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)});
    }
    return [left] { for (const auto& [name, held] : left) CloseHandle(held), DeleteFileA(name.c_str()); };
  }
  if (condition < HeldByAnother || condition > HeldForAMoment)
    return [file] { SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL); };
  const DWORD access[] = {GENERIC_READ | GENERIC_WRITE, GENERIC_READ, GENERIC_READ, GENERIC_READ};
  const DWORD sharing[] = {0, FILE_SHARE_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0};
  HANDLE held = CreateFileA(file.c_str(), access[condition - HeldByAnother], sharing[condition - HeldByAnother], nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (condition == HeldForAMoment) std::thread([held] { Sleep(100), CloseHandle(held); }).detach();
  return [held, condition] { if (condition != HeldForAMoment) CloseHandle(held); };
#else
  if (condition == ReadOnly || condition == Immutable) chmod(file.c_str(), 0444);  // root may still open it for writing
  if (condition != Immutable || std::system(("chattr +i " + file + " 2>/dev/null").c_str()) != 0) return [] {};
  return [file] { std::system(("chattr -i " + file).c_str()); };
#endif
}

TEST_P(Settings, AFileTheStoreCannotOwnOrReadWholeIsNeverReplacedAndTheCloseSaysWhy) {
  // `unread`: why the document does not hold the whole file.
  struct Case { Condition condition; const char* name; int opened; std::int32_t read; FileFailure why, unread; };
  using F = FileFailure;
  const Case cases[] = {{Directory, "a directory of that name", 0, -1, F::Other, F::Other},
                        {ReadOnly, "read-only", 1, 100, F::ReadOnly, F::None},
                        {AppearsAfterOpen, "a file there at close but not at open", 0, -1, F::Appeared, F::None},
                        {ShortRead, "a short read", 1, 100, F::Unread, F::Unread},
                        {FailedRead, "a failed read", 1, -1, F::Unread, F::Unread},
                        {TooLarge, "a size beyond 31 bits", 1, -1, F::Unread, F::Unread},
#ifdef _WIN32
                        {HeldByAnother, "held by another", 0, -1, F::HeldByAnother, F::HeldByAnother},
                        {HeldForReading, "read by another", 1, 100, F::HeldByAnother, F::None},
                        {HeldWithoutDeleteSharing, "held without delete sharing", 1, 100, F::HeldByAnother, F::None},
                        {HeldForAMoment, "held for a moment only: written", 1, 100, F::None, F::None},
                        {SwapFails, "the swap failing", 1, 100, F::Other, F::None},
                        {SwapFailsHalfway, "the swap failing halfway", 1, 100, F::Other, F::None},
                        {LeftoversHeld, "earlier temporary names held: written", 1, 100, F::None, F::None},
#else
                        {Immutable, "immutable (or read-only, not as root)", 1, 100, F::ReadOnly, F::None},
#endif
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(file_);
    std::function<void()> lift = Impose(c.condition, file_);
    EXPECT_EQ(OpenSettings(File()), c.opened) << c.name;
    EXPECT_EQ(SettingsIncomplete(), c.unread) << c.name;
#ifdef _WIN32
    EXPECT_EQ(ProbeFileSize("C:") + ProbeFileSize("C:\\") + ProbeFileSize((folder_ + "\\").c_str()), -6);  // all folders
    EXPECT_TRUE(!c.opened || (std::ifstream(file_) && !std::ofstream(file_, std::ios::app))) << "others while open";
#endif
    SelectGroup("Shopping for the week");
    EXPECT_EQ(ReadKeyLong("XPos", -1), c.read) << c.name;
    WriteKeyString("Text", std::string(300, 'z').c_str());
    if (c.condition == AppearsAfterOpen) Put(oldFile);
    EXPECT_EQ(CloseSettings(), c.why == FileFailure::None) << c.name;
    EXPECT_EQ(SettingsWriteFailure(), c.why) << c.name;
    fileFaults = FileFaults{};
    lift();
    EXPECT_TRUE(c.condition == Directory ? std::filesystem::is_directory(file_) : (Get() == oldFile) != (c.why == FileFailure::None))
        << c.name;
    EXPECT_EQ(Neighbours(file_), std::vector<std::string>{}) << c.name;
  }
}

// A Western ANSI program, and one with UTF-8 as its code page.
// The bin as "Delete note" writes it, and as crashes, hands and other programs leave it.
TEST_P(Settings, TheBinsEntriesAreFoundWhereverItIsDamagedAndReadAsTheStoreReadsAPlainFile) {
  const std::string shop = "; Deleted 2026-12-01 10:00:00\r\n[Shop]\r\nText = milk\\neggs\r\nHidden = 1\r\n\r\n";
  struct Entry { std::string stamp, title, text; bool onlyNoteKeys; };
  const struct { const char* name; std::string bin; std::vector<Entry> entries; } cases[] = {
      {"empty", "", {}}, {"blank lines alone", "\r\n \t\r\n", {}},
      {"two of one title", shop + "; Deleted 2026-12-02 11:00:00\n[shop]\nText = bread\n",
       {{"2026-12-01 10:00:00", "Shop", "milk\\neggs", true}, {"2026-12-02 11:00:00", "shop", "bread", true}}},
      {"cut short", shop + "; Deleted 2026-12-02 11:00:00\r\n[Half]\r\nText = mi",
       {{"2026-12-01 10:00:00", "Shop", "milk\\neggs", true}, {"2026-12-02 11:00:00", "Half", "mi", true}}},
      {"cut in its dating line", shop + "; Deleted 2026-1", {{"2026-12-01 10:00:00", "Shop", "milk\\neggs", true},
                                                            {"2026-1", "", "", true}}},
      {"a header without keys, an empty title", "; Deleted a\r\n[Bare]\r\n; Deleted b\r\n[]\r\nText = x\r\n",
       {{"a", "Bare", "", true}, {"b", "", "", true}}},
      {"bytes that are not text before the first entry", "\x01\xFF\xFE\0\x80\r\n"s + shop,
       {{"", "", "", false}, {"2026-12-01 10:00:00", "Shop", "milk\\neggs", true}}},
      {"a dating line inside a value", "; Deleted x\r\n[A]\r\nText = ; Deleted y\r\n", {{"x", "A", "; Deleted y", true}}},
      {"what no note holds", "; Deleted x\r\n[A]\r\nColour = red\r\n; Deleted y\r\n[B]\r\n; mine\r\n; Deleted z\r\n[C]\r\n[D]\r\n",
       {{"x", "A", "", false}, {"y", "B", "", false}, {"z", "C", "", false}}}};
  for (const auto& c : cases) {
    const std::vector<BinEntry> entries = BinEntries(c.bin);
    ASSERT_EQ(entries.size(), c.entries.size()) << c.name;
    std::string joined;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      BinNote note;
      ASSERT_TRUE(ReadBinNote(entries[i], note)) << c.name;
      const Entry& want = c.entries[i];
      EXPECT_EQ(std::make_tuple(entries[i].stamp, note.title, note.values[TextKey], note.onlyNoteKeys),
                std::make_tuple(want.stamp, want.title, want.text, want.onlyNoteKeys)) << c.name << " " << i;
      EXPECT_EQ(entries[i].place, entries[0].place + joined.size()) << c.name;
      joined += entries[i].bytes;
    }
    EXPECT_EQ(joined, c.bin.substr(entries.empty() ? c.bin.size() : entries[0].place)) << c.name;
  }
  BinNote bare;
  ASSERT_TRUE(ReadBinNote(BinEntries("; Deleted a\r\n[Bare]\r\nText = \r\n")[0], bare));
  EXPECT_TRUE(bare.present[TextKey] && !bare.present[HiddenKey]);  // an empty key is there, a missing one not
}

// Taking an entry out rewrites the bin by the safe replace: whatever fails (memory, the disk, the
// power), the bin holds the old bytes or the new ones; an entry no longer at its place stays.
TEST_P(Settings, AnEntryTakenOutOfTheBinLeavesTheOldBinOrTheNewWhateverFails) {
  const std::string a = "; Deleted 2026-12-01 10:00:00\r\n[Shop]\r\nText = milk\r\n\r\n";
  const std::string b = "; Deleted 2026-12-02 10:00:00\r\n[Shop]\r\nText = bread\r\n\r\n";
  const std::string c = "; Deleted 2026-12-03 10:00:00\r\n[Home]\r\n";
  const std::string bin = folder_ + "/Deleted notes.ini", before = a + b + c, after = a + c;
  std::ofstream(bin, std::ios::binary) << before;
  const BinEntry middle = BinEntries(before)[1];
  BinEntry moved = middle, changed = middle;
  moved.place -= 1;
  changed.bytes.replace(changed.bytes.find("bread"), 5, "Bread");
  const BinEntry shorter = BinEntries(a + b.substr(0, b.size() - 2))[1];  // where the bin holds more of it
  for (const BinEntry& stale : {moved, changed, shorter, BinEntries(a + a)[1]}) {
    EXPECT_EQ(TakeOutOfBin(bin.c_str(), stale), FileFailure::NotFound);
    EXPECT_EQ(Read(bin), before);
  }
  EXPECT_EQ(TakeOutOfBin((folder_ + "/none.ini").c_str(), middle), FileFailure::NotFound);
  for (long failures : {-1L, 1L}) {
    bool reached = true;
    for (long n = 0; reached; ++n) {
      std::ofstream(bin, std::ios::binary | std::ios::trunc) << before;
      FailAllocationsAfter(n, failures);
      const FileFailure taken = TakeOutOfBin(bin.c_str(), middle);
      reached = FailAllocationsAfter(-1) == 0;
      ASSERT_EQ(Read(bin), taken == FileFailure::None ? after : before) << "failing allocation " << n;
      ASSERT_TRUE(taken == FileFailure::None || reached);
    }
  }
#ifndef _WIN32
  const std::string real = std::filesystem::absolute(bin).string();
  for (std::size_t refused = 0;; ++refused) {
    std::ofstream(bin, std::ios::binary | std::ios::trunc) << before;
    StartDisk(real, before, refused);
    const FileFailure taken = TakeOutOfBin(bin.c_str(), middle);
    onDiskStep = nullptr;
    EXPECT_EQ(Read(bin), taken == FileFailure::None ? after : before) << "step " << refused << " refused";
    if (taken != FileFailure::None) continue;
    for (std::size_t count = 0; count <= disk.steps.size(); ++count) {
      for (const std::string& held : AfterCut(count, real))
        EXPECT_TRUE(held == before || held == after) << "cut after step " << count << ":\n" << held;
    }
    break;
  }
#endif
}

INSTANTIATE_TEST_SUITE_P(Callers, Settings, ::testing::Values(1252u, 65001u));

}  // namespace
