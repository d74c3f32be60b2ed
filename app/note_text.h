#pragma once
#include <string>
#include <vector>

// A value in the settings file is one line: line breaks travel as backslash and "n", tabs as
// blanks. Any lone CR or LF counts as a line break too, so no value can split its line.
// A text that itself holds a backslash and "n" could not come back so: it is stored escaped
// (every backslash doubled) with a mark beside it that names the stored text, its length and
// checksum. Every other text is stored as it always was, with no mark.
struct StoredNoteText {
  std::string text;
  std::string mark;  // empty: not escaped
};
StoredNoteText EncodeNoteText(const char* text);
// `mark` as read beside the text: one that does not name this text (an older copy rewrote it,
// or there is none) leaves every backslash and "n" a line break, as older copies read it.
std::string DecodeNoteText(const char* text, const char* mark);

// The title typed for a new note, made fit to name a group: control characters become
// blanks, "]" (which would end the group's name) becomes ")", blanks at both ends go.
// Empty when nothing is left.
std::string CleanNoteTitle(const char* title);

// Without its blanks at either end, as the store hands a value out.
std::string Trimmed(const std::string& text);

// Whether two group names name one group, as the store finds groups: ASCII letters folded.
bool SameName(const std::string& a, const std::string& b);

// The title itself when no name in `taken` has it (ASCII case ignored), else the title with
// " (2)", " (3)", ... appended, the first that is free.
std::string FreeNoteTitle(const std::string& title, const std::vector<std::string>& taken);

// What a loaded note's title strip shows: the stored "Title" when it names the group (case
// aside), else the group's name, so the note's commands always find their group.
std::string ShownNoteTitle(const std::string& groupName, const std::string& storedTitle);

// The text of the About box.
std::string AboutText();
