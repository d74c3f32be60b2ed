#pragma once
// The names stored files are known by; every file written so far relies on them.

constexpr char SettingsFile[] = "Settings.ini";
// Where "Delete note" keeps each group it removes, appended; read and shortened only by a restore.
constexpr char BinFile[] = "Deleted notes.ini";

// The keys of a note's group, the first fourteen in the order a new note writes them.
enum NoteKey {
  XPosKey, YPosKey, SizeKey, TitleKey, TextKey, FontKey, FontSizeKey, FontStyleKey, FrontColorKey,
  BkgColorKey, HiddenKey, OnTopKey, AlphaKey, RollupKey,
  TextMarkKey,  // beside "Text": the mark of a text stored escaped
  NoteKeyCount
};
constexpr const char* NoteKeyNames[NoteKeyCount] = {
    "XPos", "YPos", "Size", "Title", "Text", "Font", "FontSize", "FontStyle", "FrontColor",
    "BkgColor", "Hidden", "OnTop", "Alpha", "Rollup", "TextEscaped"};
constexpr const char* KeyName(NoteKey key) { return NoteKeyNames[key]; }
