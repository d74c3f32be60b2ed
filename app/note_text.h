#pragma once
#include <string>
#include <vector>

// A value in the settings file is one line: line breaks travel as backslash and "n", tabs as
// blanks. Any lone CR or LF counts as a line break too, so no value can split its line.
std::string EncodeNoteText(const char* text);
std::string DecodeNoteText(const char* text);

// The title typed for a new note, made fit to name a group: control characters become
// blanks, "]" (which would end the group's name) becomes ")", blanks at both ends go.
// Empty when nothing is left.
std::string CleanNoteTitle(const char* title);

// The title itself when no name in `taken` has it (ASCII case ignored), else the title with
// " (2)", " (3)", ... appended, the first that is free.
std::string FreeNoteTitle(const std::string& title, const std::vector<std::string>& taken);

// What a loaded note's title strip shows: the stored "Title" when it names the group (case
// aside), else the group's name, so the note's commands always find their group.
std::string ShownNoteTitle(const std::string& groupName, const std::string& storedTitle);

// The text of the About box.
std::string AboutText();
