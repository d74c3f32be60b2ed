#include <gtest/gtest.h>

#include "file_fixture.h"
#include "settings_store.h"

namespace {

using Reader = SettingsFileTest;

std::string Parsed(Reader& t, const std::string& bytes) {
  t.Put(bytes);
  EXPECT_EQ(OpenSettings(t.File()), 1);
  std::string described = DescribeDocument();
  CloseSettings();
  return described;
}

TEST_F(Reader, LineRules) {
  EXPECT_EQ(Parsed(*this, "  [Note 1]  trailing words\r\nXPos=10\r\n"), "[Note 1]|<XPos>=<10>|");
  EXPECT_EQ(Parsed(*this, "[ a ]\n[abc\n[]\n"), "[ a ]|[abc]|[]|");
  EXPECT_EQ(Parsed(*this, "Key   =   some value  \n"), "<Key>=<some value  >|");
  EXPECT_EQ(Parsed(*this, "a=b=c\n=v\n\t# not a comment\n"), "<a>=<b=c>|<>=<v>|<# not a comment>=<>|");
  EXPECT_EQ(Parsed(*this, ";comment\n; comment\n;  two\n;\n"), ";comment|;comment|; two|;|");
  EXPECT_EQ(Parsed(*this, "k=v\t \n"), "<k>=<v\t >|");
}

TEST_F(Reader, EveryLineEndAndBlankLineIsOneSeparator) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    std::string e = end;
    EXPECT_EQ(Parsed(*this, "justtext" + e + "next=1" + e), "<justtext>=<>|<next>=<1>|") << "line end " << e.size();
  }
  EXPECT_EQ(Parsed(*this, "\r\n\r\n  \t\r\n[g]\n\n\n\r\r  x = 1\n   \t"), "[g]|<x>=<1>|");
  EXPECT_EQ(Parsed(*this, ""), "");
}

TEST_F(Reader, ByteOrderMarkSwitchesToUtf8Mode) {
  Put("\xEF\xBB\xBF");
  ASSERT_EQ(OpenSettings(File()), 1);
  EXPECT_EQ(settingsStore.encoding, Utf8Encoding);
  EXPECT_EQ(DescribeDocument(), "");
  CloseSettings();
  Put("\xEF\xBB\x41=1\n");
  ASSERT_EQ(OpenSettings(File()), 1);
  EXPECT_EQ(settingsStore.encoding, 0);
  EXPECT_EQ(DescribeDocument(), "<\xEF\xBB\x41>=<1>|");
  CloseSettings();
  Put("\xEF\xBB");  // shorter than a mark
  ASSERT_EQ(OpenSettings(File()), 1);
  EXPECT_EQ(settingsStore.encoding, 0);
}

TEST_F(Reader, ZeroBytesReadAsBlanksAndHideNothing) {
  Put(std::string("[g]\nk=a\0b\nafter=1\n", 19));
  ASSERT_EQ(OpenSettings(File()), 1);
  SelectGroup("g");
  EXPECT_EQ(ReadKeyString("k", "?"), "a b");
  EXPECT_EQ(ReadKeyLong("after", -1), 1);
}

TEST_F(Reader, MissingFileOpensEmptyWithTheNameKept) {
  EXPECT_EQ(OpenSettings(File()), 0);
  EXPECT_TRUE(settingsStore.hasFileName);
  EXPECT_EQ(StartGroups(), 1);
  EXPECT_EQ(NextGroup(), 0);
  CloseSettings();
  EXPECT_FALSE(Exists());  // nothing written, nothing created
}

TEST_F(Reader, ProbeTellsSizesMissingFilesAndDirectories) {
  EXPECT_EQ(ProbeFileSize(""), -1);
  EXPECT_EQ(ProbeFileSize(nullptr), -1);
  EXPECT_EQ(ProbeFileSize(File()), -1);
  Put("");
  EXPECT_EQ(ProbeFileSize(File()), 0);
  Put("12345");
  EXPECT_EQ(ProbeFileSize(File()), 5);
  EXPECT_EQ(ProbeFileSize(folder_.c_str()), -2);
#ifdef _WIN32
  EXPECT_EQ(ProbeFileSize((folder_ + "\\").c_str()), -2);
  EXPECT_EQ(ProbeFileSize("C:"), -2);
  EXPECT_EQ(ProbeFileSize("C:\\"), -2);
#endif
}

}  // namespace
