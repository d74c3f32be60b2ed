#include <gtest/gtest.h>

#include <vector>

#include "file_fixture.h"
#include "settings_store.h"

namespace {

using Keys = SettingsFileTest;

std::vector<std::string> GroupNames() {
  std::vector<std::string> names;
  if (!StartGroups()) return names;
  while (NextGroup()) names.push_back(CurrentGroupName());
  return names;
}

TEST_F(Keys, WalkingAndSelectingShareOnePosition) {
  Put("top=1\n[A]\nk=a\n[]\n[B]\nk=b\n[a]\nk=second\n");
  OpenSettings(File());
  EXPECT_EQ(GroupNames(), (std::vector<std::string>{"A", "", "B", "a"}));
  EXPECT_EQ(NextGroup(), 0);
  EXPECT_EQ(CurrentGroupName(), "a");  // the last group stays current after the walk
  EXPECT_EQ(ReadKeyString("k", ""), "second");
  EXPECT_EQ(SelectGroup("a"), 1);  // the first of two equal names wins
  EXPECT_EQ(ReadKeyString("K", ""), "a");
  EXPECT_EQ(SelectGroup(""), 1);
  EXPECT_EQ(ReadKeyLong("top", 0), 1);
  EXPECT_EQ(CurrentGroupName(), "");
}

TEST_F(Keys, AMissingGroupReadsDefaultsAndIsCreatedByTheFirstWrite) {
  Put("[A]\nXPos=5\n");
  OpenSettings(File());
  SelectGroup("A");
  EXPECT_EQ(SelectGroup("Garden"), 0);
  EXPECT_EQ(ReadKeyLong("XPos", 77), 77);  // not A's value
  EXPECT_EQ(ReadKeyString("XPos", "dflt"), "dflt");
  EXPECT_EQ(CurrentGroupName(), "A");
  CloseSettings();
  EXPECT_EQ(Get(), "[A]\nXPos=5\n");  // selecting alone writes nothing
  OpenSettings(File());
  SelectGroup("Garden");
  WriteKeyLong("Size", 258);
  EXPECT_EQ(CurrentGroupName(), "Garden");
  CloseSettings();
  EXPECT_EQ(Get(), "[A]\r\nXPos = 5\r\n[Garden]\r\nSize = 258\r\n");
}

TEST_F(Keys, ReadingIntegersAndTexts) {
  Put("[g]\nn=  -12abc\ne=\nw=x\nbig=99999999999\nneg=-99999999999\nplus=+7\ns=  x  \n");
  OpenSettings(File());
  SelectGroup("G");
  EXPECT_EQ(ReadKeyLong("n", 5), -12);
  EXPECT_EQ(ReadKeyLong("e", 5), 0);  // present but empty: 0, not the default
  EXPECT_EQ(ReadKeyLong("w", 5), 0);
  EXPECT_EQ(ReadKeyLong("missing", 5), 5);
  EXPECT_EQ(ReadKeyLong("big", 0), INT32_MAX);  // saturates instead of wrapping
  EXPECT_EQ(ReadKeyLong("neg", 0), INT32_MIN);
  EXPECT_EQ(ReadKeyLong("plus", 0), 7);
  EXPECT_EQ(ReadKeyString("s", ""), "x");
  EXPECT_EQ(ReadKeyString("missing", nullptr), "");
}

TEST_F(Keys, KeyPlacementAndSpelling) {
  Put("top=1\n[A]\nxpos=1\n; note\nXPos=2\n[B]\nk=v\n");
  OpenSettings(File());
  SelectGroup("A");
  WriteKeyLong("XPos", 120);   // first match takes the caller's spelling; the second is left
  WriteKeyString("New", "n");  // behind the group's last entry, comment included
  SelectGroup("");
  WriteKeyLong("Front", 3);    // behind the top level's last entry
  CloseSettings();
  EXPECT_EQ(Get(), "top = 1\r\nFront = 3\r\n[A]\r\nXPos = 120\r\n; note\r\nXPos = 2\r\nNew = n\r\n[B]\r\nk = v\r\n");
  Put("[A]\n");
  OpenSettings(File());
  SelectGroup(nullptr);
  WriteKeyLong("First", 1);  // empty top level: the key goes to the very front
  CloseSettings();
  EXPECT_EQ(Get(), "First = 1\r\n[A]\r\n");
}

TEST_F(Keys, ValuesGrowAndShrinkInPlace) {
  Put("[A]\nText=short\n");
  OpenSettings(File());
  SelectGroup("A");
  WriteKeyString("Text", "a much longer value than before");
  EXPECT_EQ(ReadKeyString("Text", ""), "a much longer value than before");
  WriteKeyString("Text", "x");
  EXPECT_EQ(ReadKeyString("Text", ""), "x");
  WriteKeyString("Text", nullptr);
  EXPECT_EQ(ReadKeyString("Text", "d"), "");
  CloseSettings();
  EXPECT_EQ(Get(), "[A]\r\nText = \r\n");
}

TEST_F(Keys, RemoveGroupTakesItsKeysAndCommentsOnly) {
  Put("[A]\nk=1\n; mine\n[B]\nk=2\n[C]\n");
  OpenSettings(File());
  SelectGroup("b");
  RemoveGroup("nothing");
  EXPECT_FALSE(settingsStore.modified);
  RemoveGroup("A");
  EXPECT_EQ(CurrentGroupName(), "B");
  RemoveGroup("B");
  EXPECT_EQ(CurrentGroupName(), "");  // the current group went: back to the top level
  CloseSettings();
  EXPECT_EQ(Get(), "[C]\r\n");
  OpenSettings(File());
  RemoveGroup("c");
  CloseSettings();
  EXPECT_EQ(Get(), "");
}

TEST_F(Keys, Utf8FilesConvertAtTheInterface) {
  Put("\xEF\xBB\xBF[Caf\xC3\xA9]\nName=Ren\xC3\xA9\nEuro=\xE2\x82\xAC\n");
  OpenSettings(File());
  EXPECT_EQ(GroupNames(), (std::vector<std::string>{"Caf\xE9"}));
  EXPECT_EQ(SelectGroup("CAF\xE9"), 1);
  EXPECT_EQ(ReadKeyString("Name", ""), "Ren\xE9");
  EXPECT_EQ(ReadKeyString("Euro", "d"), "");  // above 255: the empty text
  WriteKeyString("Name", "\xC9lise");
  SelectGroup("Gr\xFC\xDF");
  WriteKeyLong("n", 1);
  CloseSettings();
  EXPECT_EQ(Get(), "\xEF\xBB\xBF\r\n[Caf\xC3\xA9]\r\nName = \xC3\x89lise\r\nEuro = \xE2\x82\xAC\r\n[Gr\xC3\xBC\xC3\x9F]\r\nn = 1\r\n");
  OpenSettings(File());
  RemoveGroup("Gr\xFC\xDF");  // found through the same conversion as SelectGroup
  RemoveGroup("Caf\xE9");
  CloseSettings();
  EXPECT_EQ(Get(), "\xEF\xBB\xBF\r\n");
}

TEST_F(Keys, AClosedDocumentRefusesEverything) {
  EXPECT_EQ(StartGroups(), 0);
  EXPECT_EQ(NextGroup(), 0);
  EXPECT_EQ(SelectGroup("x"), 0);
  EXPECT_EQ(ReadKeyLong("k", 9), 9);
  WriteKeyLong("k", 1);
  RemoveGroup("x");
  EXPECT_EQ(PrepareKeyValue("k", 3), nullptr);
  EXPECT_TRUE(CloseSettings());
}

}  // namespace
