#include <gtest/gtest.h>

#include "file_fixture.h"
#include "settings_store.h"

namespace {

using Writer = SettingsFileTest;

TEST_F(Writer, TheHandEditedExampleIsNormalised) {
  Put("  ; list\n[Shopping]   \nxpos=100\n   YPos   =  50   \n\n[Work]\nText=a\\nb\n");
  OpenSettings(File());
  EXPECT_EQ(SelectGroup("shopping"), 1);
  WriteKeyLong("XPos", 120);
  EXPECT_TRUE(CloseSettings());
  EXPECT_EQ(Get(), "; list\r\n[Shopping]\r\nXPos = 120\r\nYPos = 50   \r\n[Work]\r\nText = a\\nb\r\n");
}

TEST_F(Writer, ReadingNeverRewritesAndAnyWriteRewritesAll) {
  const std::string odd = "\r\n ;c\n[g]\tx\nk  =  v \r\r\n[]\n";
  Put(odd);
  OpenSettings(File());
  StartGroups();
  while (NextGroup()) ReadKeyString("k", "");
  SelectGroup("g");
  CloseSettings();
  EXPECT_EQ(Get(), odd);
  OpenSettings(File());
  SelectGroup("g");
  WriteKeyString("k", "v ");  // the same value still rewrites
  CloseSettings();
  EXPECT_EQ(Get(), "; c\r\n[g]\r\nk = v \r\n[]\r\n");
}

TEST_F(Writer, LayoutIsAFixedPointAndNamesKeepTheirBlanks) {
  Put("[ padded ]\nk=\n");
  OpenSettings(File());
  SelectGroup(" padded ");
  WriteKeyLong("n", -5);
  CloseSettings();
  const std::string once = Get();
  EXPECT_EQ(once, "[ padded ]\r\nk = \r\nn = -5\r\n");
  OpenSettings(File());
  EXPECT_EQ(SelectGroup(" PADDED "), 1);
  WriteKeyLong("n", -5);
  CloseSettings();
  EXPECT_EQ(Get(), once);
}

TEST_F(Writer, AMissingFileIsCreatedOnlyWhenSomethingWasWritten) {
  OpenSettings(File());
  SelectGroup("Shopping");
  WriteKeyLong("XPos", 312);
  WriteKeyString("Title", "Shopping");
  EXPECT_TRUE(CloseSettings());
  EXPECT_EQ(Get(), "[Shopping]\r\nXPos = 312\r\nTitle = Shopping\r\n");
}

TEST_F(Writer, ShrinkingCutsTheOldTail) {
  Put("[A]\nText=" + std::string(5000, 'x') + "\n[B]\n");
  OpenSettings(File());
  RemoveGroup("A");
  CloseSettings();
  EXPECT_EQ(Get(), "[B]\r\n");
}

}  // namespace

namespace {

TEST_F(Writer, MarkBytesBehindBlanksNeverTurnAPlainFileIntoUtf8) {
  Put(std::string(" \xEF\xBB\xBFkey=\xE9\n"));
  OpenSettings(File());
  SelectGroup("g");
  WriteKeyLong("n", 1);
  CloseSettings();
  EXPECT_EQ(Get(), "\r\n\xEF\xBB\xBFkey = \xE9\r\n[g]\r\nn = 1\r\n");
  OpenSettings(File());
  EXPECT_EQ(settingsStore.encoding, 0);
  EXPECT_EQ(ReadKeyString("\xEF\xBB\xBFkey", ""), "\xE9");
}

}  // namespace
