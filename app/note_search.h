#pragma once
#include <cstddef>
#include <string>

// The rules of looking for a note, in UTF-16 as the system compares; the comparison itself, the
// system's linguistic casing, comes in as `fold`.
using FoldText = std::wstring (*)(const std::wstring& text);

// What a search looks for: the typed text without its blanks at either end, folded.
std::wstring SearchTerm(const std::wstring& typed, FoldText fold);
// Whether a note whose title and text come folded holds the term; every note holds the empty one.
bool NoteHoldsTerm(const std::wstring& term, const std::wstring& foldedTitle, const std::wstring& foldedText);
// The first line of a text as a list shows it: tabs as blanks, cut to `room` units between characters.
std::wstring FirstLineOf(const std::wstring& text, std::size_t room);
