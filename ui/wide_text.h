#pragma once
#include <windows.h>

#include <string>

// Text in the process's code page as UTF-16, and back: for the calls whose ANSI flavour converts
// with the system's code page whatever the process's is (GDI's), or that cut texts at a byte count.
std::wstring Widened(const char* text);
std::string Narrowed(const wchar_t* text);

// A path the system gives in UTF-16, for the program's ANSI calls: where the code page lacks one
// of its characters (a profile folder named in another script, before UTF-8 was the program's own
// page), its short form, which is ASCII; empty where there is none.
std::string PathInCodePage(const std::wstring& path);

// A text as a search compares it: composed characters (NFC) in the user's linguistic lower case,
// the system's own casing in every script. Done once per text, so a keystroke's search is a plain
// find over what is kept.
std::wstring FoldedForSearch(const std::wstring& text);
