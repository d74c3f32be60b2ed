#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "file_io.h"
#include "memory.h"
#include "settings_store.h"
#include "text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
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

// Each test works on a Settings.ini in a fresh folder of its own and starts with a closed store.
class Settings : public ::testing::Test {
 public:
  void SetUp() override {
    static int serial = 0;  // in the working folder, the build's own: runs of other builds never meet
    folder_ = "tackpad_settings_" + std::to_string(++serial);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    file_ = folder_ + "/Settings.ini";
    InitSettingsStore();
    callerCodePage = 1252;  // a Western ANSI program
  }
  void TearDown() override {
    EndSettingsStore();
    fileFaults = FileFaults{};
    FailAllocationsAfter(-1);
    std::filesystem::remove_all(folder_);
  }
  void Put(const std::string& bytes) const { std::ofstream(file_, std::ios::binary) << bytes; }
  std::string Get() const {
    return {std::istreambuf_iterator<char>(std::ifstream(file_, std::ios::binary).rdbuf()), {}};
  }
  const char* File() const { return file_.c_str(); }

  std::string folder_, file_;
};

// The file as written back after one more key in a last group of its own.
std::string Normalised(Settings& t, const std::string& bytes) {
  t.Put(bytes);
  OpenSettings(t.File());
  SelectGroup("end");
  WriteKeyLong("k", 1);
  CloseSettings();
  return t.Get();
}

TEST_F(Settings, EveryLineIsReadAndWrittenInTheOneLayout) {
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
  for (const auto& [bytes, layout] : cases) EXPECT_EQ(Normalised(*this, bytes), layout + "[end]\r\nk = 1\r\n") << bytes;
}

TEST_F(Settings, GroupsAreWalkedInOrderAndFoundByTheFirstOfTheirNameWithAsciiLettersFolded) {
  Put("k=top\n[A]\nk=a\n[]\n[{]\nk={\n[[]\nk=[\n[\xE9]\nk=\xE9\n[ pad ]\nk=pad\n[@]\nk=@\n[a\0z]\nk=0\n"
      "[Z]\nk=Z\n[a]\nk=second\n"s);
  OpenSettings(File());
  std::vector<std::string> names;
  for (StartGroups(); NextGroup();) names.push_back(CurrentGroupName());
  EXPECT_EQ(names, (std::vector<std::string>{"A", "", "{", "[", "\xE9", " pad ", "@", "a z", "Z", "a"}));
  EXPECT_EQ(ReadKeyString("K", ""), "second");  // the last group stays current
  struct Case { const char* name; int found; const char* k; };
  const Case cases[] = {{"a", 1, "a"}, {"ab", 0, "none"}, {"", 1, "top"}, {"[", 1, "["}, {"{", 1, "{"}, {"z", 1, "Z"},
                        {"\xE9", 1, "\xE9"}, {"\xC9", 0, "none"}, {"pad", 0, "none"}, {" PAD ", 1, "pad"},
                        {"`", 0, "none"}, {nullptr, 1, "top"}, {"@", 1, "@"}, {"A Z", 1, "0"}};
  for (const Case& c : cases) {
    EXPECT_EQ(SelectGroup(c.name), c.found) << c.name;
    EXPECT_EQ(ReadKeyString("K", "none"), c.k) << c.name;
  }
}

TEST_F(Settings, ReadingNumbersAndTexts) {
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

TEST_F(Settings, KeysGoBehindTheirGroupAndAGroupGoesWithItsKeysAndCommentsOnly) {
  Put("top=1\n[A]\nxpos=1\n; note\nXPos=2\nText=short\n[B]\nText=" + std::string(5000, 'x') + "\n; mine\n[C]\nk=v\n");
  OpenSettings(File());
  SelectGroup("A");
  WriteKeyLong("XPos", 120);  // the first match only, in the caller's spelling
  WriteKeyString("New", "n");
  WriteKeyString("Text", "x");
  WriteKeyString("Text", "a longer one");
  EXPECT_EQ(ReadKeyString("Text", ""), "a longer one");
  RemoveGroup("b");
  EXPECT_EQ(CurrentGroupName(), "A");
  SelectGroup("C");
  RemoveGroup("c");
  EXPECT_EQ(CurrentGroupName(), "");  // back to the top level
  WriteKeyLong("Front", INT32_MIN);
  SelectGroup("D");
  WriteKeyLong("n", 1);
  CloseSettings();
  EXPECT_EQ(Get(), "top = 1\r\nFront = -2147483648\r\n[A]\r\nXPos = 120\r\n; note\r\nXPos = 2\r\nText = a longer one\r\n"
                   "New = n\r\n[D]\r\nn = 1\r\n");
  for (bool remove : {false, true}) {
    Put("[A]\n");
    OpenSettings(File());
    if (remove) RemoveGroup("a");
    else WriteKeyString("First", nullptr);  // an empty top level: at the very front
    CloseSettings();
    EXPECT_EQ(Get(), remove ? "" : "First = \r\n[A]\r\n");
  }
}

TEST_F(Settings, Utf8FilesConvertAtTheInterface) {
  Put("\xEF\xBB\xBF[Caf\xC3\xA9]\nName=Ren\xC3\xA9\nEuro=\xE2\x82\xAC\n");
  OpenSettings(File());
  EXPECT_EQ(SelectGroup("CAF\xE9"), 1);
  EXPECT_EQ(CurrentGroupName(), "Caf\xE9");
  EXPECT_EQ(ReadKeyString("Name", ""), "Ren\xE9");
  EXPECT_EQ(ReadKeyString("Euro", "d"), "");  // above 255: the empty text
  SelectGroup("Gr\xFC\xDF");
  WriteKeyString("\xE9", "\xC9lise");
  RemoveGroup("Caf\xE9");
  CloseSettings();
  EXPECT_EQ(Get(), "\xEF\xBB\xBF\r\n[Gr\xC3\xBC\xC3\x9F]\r\n\xC3\xA9 = \xC3\x89lise\r\n");
}

const std::string mark = "\xEF\xBB\xBF";
// The group's name is longer than a short string keeps in place, so naming it takes memory.
const std::string oldFile = "; kept\n[Shopping for the week]\nXPos=100\nText=milk\\neggs\n[Work]\nXPos=5\n";

// One command: open, write a number and the note's text, close; memory may come back after the open.
bool Cycle(const char* file, const std::string& text, bool memoryComesBack = false) {
  OpenSettings(file);
  if (memoryComesBack) FailAllocationsAfter(-1);
  SelectGroup("Shopping for the week");
  WriteKeyLong("XPos", 100);
  WriteKeyString("Text", text.c_str());
  return CloseSettings();
}

TEST_F(Settings, AWriteFailingAtAnyByteLeavesTheOldBytes) {
  const std::pair<std::string, std::size_t> cases[] = {{oldFile, 1}, {oldFile, 90}, {mark + oldFile, 1}};
  for (const auto& [before, valueLength] : cases) {  // shrinking, growing, and behind a mark
    const std::string after = (before == oldFile ? "" : mark + "\r\n") + "; kept\r\n[Shopping for the week]\r\nXPos = 100\r\nText = " +
                              std::string(valueLength, 'v') + "\r\n[Work]\r\nXPos = 5\r\n";
    const auto size = static_cast<std::int64_t>(after.size());
    for (std::int64_t written = 0; written <= size; ++written) {  // and last, SetEndOfFile failing
      Put(before);
      fileFaults.failWriteAfter = written < size ? written : -1;
      fileFaults.failEndOfFile = written == size;
      EXPECT_FALSE(Cycle(File(), std::string(valueLength, 'v')));
      fileFaults = FileFaults{};
      ASSERT_EQ(Get(), before) << valueLength << " bytes, failing after " << written;
    }
    EXPECT_TRUE(Cycle(File(), std::string(valueLength, 'v')));
    EXPECT_EQ(Get(), after);
  }
}

TEST_F(Settings, RunningOutOfMemoryAnywhereLeavesOldOrNewBytes) {
  std::string before = oldFile;  // more lines than one block of entries holds
  for (int i = 0; i < 600; ++i) before += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  const std::string text(40, 'v');
  Put(before);
  ASSERT_TRUE(Cycle(File(), text));
  const std::string after = Get();
  enum Failing { ForGood, AtOpenOnly, OnceOnly };
  for (Failing failing : {ForGood, AtOpenOnly, OnceOnly}) {
    bool completed = false;
    for (long n = 0; !completed && n < 1000; ++n) {
      Put(before);
      ReleaseSpareEntries();  // so every open allocates its entries afresh
      EndTextHelpers();       // and the scratch area too
      FailAllocationsAfter(n, failing == OnceOnly ? 1 : -1);
      const bool closed = Cycle(File(), text, failing == AtOpenOnly);
      FailAllocationsAfter(-1);
      completed = closed && Get() == after;
      ASSERT_TRUE(completed || Get() == before) << "failing allocation " << n << " in way " << failing;
    }
    EXPECT_TRUE(completed) << "a thousand allocations never let the command through";
  }
  Put(before);
  OpenSettings(File());  // a length whose terminator would wrap
  EXPECT_EQ(PrepareKeyValue("Text", UINT32_MAX), nullptr);
  EXPECT_FALSE(CloseSettings());
  EXPECT_EQ(Get(), before);
}

enum Condition { Directory, AppearsAfterOpen, ShortRead, FailedRead, TooLarge, ReadOnly, HeldByAnother, HeldForReading };

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
  if (condition < HeldByAnother) return [file] { SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL); };
  bool exclusive = condition == HeldByAnother;
  HANDLE held = CreateFileA(file.c_str(), exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                            exclusive ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  return [held] { CloseHandle(held); };
#else
  if (condition != ReadOnly) return [] {};
  chmod(file.c_str(), 0444);  // and immutable, as root may write any file
  std::system(("chattr +i " + file + " 2>/dev/null").c_str());
  return [file] { std::system(("chattr -i " + file + " 2>/dev/null").c_str()); };
#endif
}

TEST_F(Settings, AFileTheStoreCannotOwnOrReadWholeIsNeverReplaced) {
  struct Case { Condition condition; const char* name; int opened; std::int32_t read; };
  const Case cases[] = {{Directory, "a directory of that name", 0, -1}, {ReadOnly, "read-only", 1, 100},
                        {AppearsAfterOpen, "a file there at close but not at open", 0, -1},
                        {ShortRead, "a short read", 1, 100}, {FailedRead, "a failed read", 1, -1},
                        {TooLarge, "a size beyond 31 bits", 1, -1},
#ifdef _WIN32
                        {HeldByAnother, "held by another", 0, -1}, {HeldForReading, "read by another", 1, 100},
#endif
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(file_);
    std::function<void()> lift = Impose(c.condition, file_);
    if (c.condition == ReadOnly && std::ofstream(file_, std::ios::app)) {
      std::cout << "not checked, as this user may write read-only files: " << c.name << "\n";
      lift();
      continue;
    }
    EXPECT_EQ(OpenSettings(File()), c.opened) << c.name;
#ifdef _WIN32
    EXPECT_EQ(ProbeFileSize("C:") + ProbeFileSize("C:\\") + ProbeFileSize((folder_ + "\\").c_str()), -6);  // all folders
    EXPECT_TRUE(!c.opened || (std::ifstream(file_) && !std::ofstream(file_, std::ios::app))) << "others while open";
#endif
    SelectGroup("Shopping for the week");
    EXPECT_EQ(ReadKeyLong("XPos", -1), c.read) << c.name;
    WriteKeyString("Text", std::string(300, 'z').c_str());
    if (c.condition == AppearsAfterOpen) Put(oldFile);
    EXPECT_FALSE(CloseSettings()) << c.name;
    fileFaults = FileFaults{};
    lift();
    EXPECT_TRUE(c.condition == Directory ? std::filesystem::is_directory(file_) : Get() == oldFile) << c.name;
  }
}

}  // namespace
