#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "live_notes.h"
#include "outside_change.h"
#include "note_search.h"
#include "note_text.h"

namespace {

TEST(LiveNotes, NumbersAreNeverHandedOutTwiceAndPassOverTheProgramsOwn) {
  const struct { std::int32_t from; bool loading; std::vector<std::int32_t> taken; } cases[] = {
      {0, false, {2, 4, 6}}, {7, true, {1, 3, 5}}, {994, false, {996, 1022, 1024}}, {995, false, {997, 1021, 1023}}};
  for (const auto& c : cases) {
    NoteCounter = c.from;
    if (c.loading) CountNotesFromOne();
    std::vector<std::int32_t> taken;
    for (std::size_t i = 0; i < c.taken.size(); ++i) taken.push_back(TakeNoteNumber());
    EXPECT_EQ(taken, c.taken) << c.from;
    EXPECT_EQ(NoteCounter, c.taken.back());
  }
}

// What the file took or refused reaches every note of the group, as the store finds groups.
TEST(LiveNotes, WhatTheFileTookOrRefusedReachesEveryNoteOfTheGroupCaseAside) {
  AddLiveNote(1, "Shop");
  AddLiveNote(3, "shop");
  LiveNote& home = AddLiveNote(5, "Home");
  home.changed = TextChange;
  home.textSizeStepped = true;
  NoteKeyRefused("SHOP", HiddenKey);
  NoteKeyRefused("Shop", XPosKey);
  EXPECT_EQ(FindLiveNote(3)->changed, unsigned{StatesChange | PlaceChange});
  NoteKeyStored("shop", HiddenKey, "1");
  for (std::int32_t note : {1, 3}) {
    EXPECT_EQ(FindLiveNote(note)->stored[HiddenKey], "1");
    EXPECT_EQ(FindLiveNote(note)->changed, unsigned{PlaceChange});
  }
  NoteKeyStored("home", TitleKey, "Home");
  EXPECT_EQ(FindLiveNote(5)->changed, 0u);
  EXPECT_TRUE(TextSizeStepped(5));
  NoteKeyStored("HOME", FontSizeKey, "16");  // the size stepped is stored
  EXPECT_FALSE(TextSizeStepped(5));
  RemoveLiveNote(1);
  AddLiveNote(5, "Garden");  // a number built again replaces its record
  NoteKeyStored("Home", TextKey, "gone");
  EXPECT_EQ(LiveNotes(), (std::vector<std::int32_t>{3, 5}));
  EXPECT_EQ(LiveNoteTitles(), (std::vector<std::string>{"shop", "Garden"}));
  EXPECT_EQ(FindLiveNote(5)->stored[TextKey], "");
  for (std::int32_t note : LiveNotes()) RemoveLiveNote(note);
}

// The image is the file whole as read or as written, byte-order mark and all; a read cut short
// leaves the last whole one.
TEST(LiveNotes, TheFileImageIsTheFileAsLastReadWholeOrWritten) {
  const std::string file = "live_notes_image.ini", before = "\xEF\xBB\xBF; mine\n[A]\nk=1\n";
  std::ofstream(file, std::ios::binary) << before;
  SetSettingsHooks({KeepSettingsImage, nullptr});
  OpenSettings(file.c_str());
  EXPECT_EQ(*SettingsImage(), before);
  SelectGroup("A");
  WriteKeyLong("k", 2);
  ASSERT_TRUE(CloseSettings());
  const std::string after = "\xEF\xBB\xBF\r\n; mine\r\n[A]\r\nk = 2\r\n";
  EXPECT_EQ(*SettingsImage(), after);
  fileFaults.shortReadBy = 1;
  OpenSettings(file.c_str());
  CloseSettings();
  fileFaults = FileFaults{};
  EXPECT_EQ(*SettingsImage(), after);
  SetSettingsHooks({});
  std::remove(file.c_str());
}

TEST(LiveNotes, TheTextMarkIsPinnedToItsChecksum) { EXPECT_EQ(EncodeNoteText("C:\\new").mark, "7-BD5E2DCE"); }

}  // namespace

namespace {

std::wstring LowerAscii(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
  return out;
}

// The comparison is the system's (tested under Wine); these are the rules around it.
TEST(Search, BlanksAtEitherEndAreNoPartOfItAndANoteHoldsItInItsTitleOrText) {
  const struct { const wchar_t *typed, *title, *text; bool holds; } cases[] = {
      {L"", L"Shop", L"milk", true},          {L" \t\u3000\u00A0\r\n", L"Shop", L"", true},
      {L"  MILK\t", L"Shop", L"milk", true},  {L"shop", L"Shop", L"", true},
      {L"milk eggs", L"Shop", L"milk\r\neggs", false}, {L"\r\neggs", L"Shop", L"milk\r\neggs", true},
      {L"a b", L"xa bx", L"", true},          {L"bread", L"Shop", L"milk", false}};
  for (const auto& c : cases) {
    const std::wstring term = SearchTerm(c.typed, LowerAscii);
    EXPECT_EQ(NoteHoldsTerm(term, LowerAscii(c.title), LowerAscii(c.text)), c.holds) << c.typed[0];
  }
  const std::wstring longLine(1 << 20, L'x');
  const struct { std::wstring text; std::size_t room; std::wstring line; } lines[] = {
      {L"one\r\ntwo", 200, L"one"}, {L"one\ntwo", 200, L"one"}, {L"a\tb", 200, L"a b"}, {L"", 200, L""},
      {longLine + L"\r\n", 200, std::wstring(200, L'x')}, {L"ab\xD83D\xDE00", 3, L"ab"}, {L"ab\xD83D\xDE00", 4, L"ab\xD83D\xDE00"}};
  for (const auto& l : lines) EXPECT_EQ(FirstLineOf(l.text, l.room), l.line) << l.room;
}

unsigned hereOf[8];
unsigned ChangedHere(std::int32_t number) { return hereOf[number]; }

// A group as the store reads it: the keys given, the rest absent.
ReadGroup Read(const char* name, std::initializer_list<std::pair<NoteKey, const char*>> keys) {
  ReadGroup group{name, {}};
  for (const auto& key : keys) group.values[key.first] = key.second;
  return group;
}

// The file as read again against the live notes: what each note takes, keeps or loses.
TEST(LiveNotes, AFileChangedElsewhereIsComparedKeyByKeyWithWhatEachNoteKnowsAndWhatChangedHere) {
  for (std::int32_t number : LiveNotes()) RemoveLiveNote(number);
  const struct { const char* title; unsigned here; } live[] = {
      {"Same", 0},          {"Text there", 0},        {"Moved both", PlaceChange}, {"Typed both", TextChange},
      {"Font here", FontChange}, {"Gone", 0}, {"Twice", 0}};
  for (std::int32_t at = 0; at < 7; ++at) {
    LiveNote& note = AddLiveNote(at, live[at].title);
    note.stored[TextKey] = "old ";  // a value written with a blank at its end reads back without it
    note.stored[XPosKey] = "10";
    hereOf[at] = live[at].here;
  }
  const std::vector<ReadGroup> groups = {
      Read("SAME", {{TextKey, "old"}, {XPosKey, "10"}}),
      Read("Text there", {{TextKey, "new"}, {XPosKey, "10"}}),
      Read("Moved both", {{TextKey, "old"}, {XPosKey, "20"}}),
      Read("Typed both", {{TextKey, "new"}, {XPosKey, "20"}, {BkgColorKey, "255"}}),
      Read("Font here", {{TextKey, "old"}, {XPosKey, "10"}, {FontKey, "Arial"}, {TextMarkKey, "x"}}),
      Read("Twice", {{TextKey, "old"}, {XPosKey, "10"}}),
      Read("twice", {{TextKey, "old"}, {XPosKey, "10"}}),
      Read("New", {{TextKey, "new"}})};
  const FileCatchUp result = CompareWithFile(groups, ChangedHere);
  const struct { std::int32_t number; int group; unsigned take; bool both; } expected[] = {
      {1, 1, 1u << TextKey, false},
      {3, 3, 1u << XPosKey | 1u << BkgColorKey, true},  // the text is kept twice, the rest taken
      {4, 4, 1u << TextMarkKey, false},                 // a font changed here (its size stepped) waits to be stored
      {5, -1, 0, false}};
  ASSERT_EQ(result.notes.size(), std::size(expected));
  for (std::size_t at = 0; at < std::size(expected); ++at) {
    const NoteCatchUp& got = result.notes[at];
    EXPECT_EQ(got.number, expected[at].number);
    EXPECT_EQ(got.group, expected[at].group) << got.number;
    EXPECT_EQ(got.take, expected[at].take) << got.number;
    EXPECT_EQ(got.bothTexts, expected[at].both) << got.number;
  }
  // Two groups of one name meet one note: the second is a note of its own.
  EXPECT_EQ(result.added, (std::vector<int>{6, 7}));
  for (std::int32_t number : LiveNotes()) RemoveLiveNote(number);
}

}  // namespace
