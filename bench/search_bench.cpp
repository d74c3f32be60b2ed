// The notes search alone under Wine, where the casing is the system's: 10,000 texts of about 200
// bytes, a third beyond ASCII, searched once per keystroke, beside a plain case-sensitive strstr
// over the same texts in UTF-8 and beside the system's own linguistic find. Never run by the tests.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "note_search.h"
#include "stopwatch.h"
#include "wide_text.h"

namespace {

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

}  // namespace

int main() {
  const wchar_t* words[] = {L"milk", L"Bread", L"crème", L"brûlée", L"Straße", L"ΣΟΦΙΑ", L"привет", L"日本語", L"call",
                            L"Anna", L"meeting", L"Tuesday", L"café", L"notes", L"garden", L"ideas"};
  std::vector<std::wstring> texts;
  std::vector<std::string> narrow;
  unsigned seed = 12345;
  for (int i = 0; i < 10000; ++i) {
    std::wstring text;
    while (Utf8(text).size() < 200) {
      seed = seed * 1103515245u + 12345u;
      text += std::wstring(words[(seed >> 16) % 16]) + L" ";
    }
    texts.push_back(text);
    narrow.push_back(Utf8(text));
  }
  LARGE_INTEGER start = Now();
  std::vector<std::wstring> folded;
  for (const std::wstring& text : texts) folded.push_back(FoldedForSearch(text));
  const double folding = Milliseconds(start, Now());
  const wchar_t* keystrokes[] = {L"C", L"CA", L"CAF", L"CAFÉ", L"σ", L"σο", L"σοφ", L"STRASSE", L"zz", L"mEEt"};
  double ours = 0, plain = 0, system = 0;
  int found = 0, plainFound = 0, systemFound = 0;
  for (const wchar_t* typed : keystrokes) {
    start = Now();
    const std::wstring term = SearchTerm(typed, FoldedForSearch);
    for (const std::wstring& text : folded) found += NoteHoldsTerm(term, L"", text);
    ours += Milliseconds(start, Now());
    const std::string needle = Utf8(typed);
    start = Now();
    for (const std::string& text : narrow) plainFound += std::strstr(text.c_str(), needle.c_str()) != nullptr;
    plain += Milliseconds(start, Now());
  }
  for (const wchar_t* typed : {L"CAFÉ", L"σοφ"}) {  // the system's find is slow under Wine: two keystrokes
    start = Now();
    for (const std::wstring& text : texts) {
      systemFound += FindNLSStringEx(LOCALE_NAME_USER_DEFAULT, FIND_FROMSTART | LINGUISTIC_IGNORECASE, text.c_str(),
                                     static_cast<int>(text.size()), typed, -1, nullptr, nullptr, nullptr, 0) >= 0;
    }
    system += Milliseconds(start, Now());
  }
  const double keys = sizeof keystrokes / sizeof *keystrokes;
  std::printf("Search over 10000 texts of ~200 bytes: folding them once %.1f ms; per keystroke %.2f ms (%d found), "
              "strstr %.2f ms (%d found): %.2f of strstr; the system's linguistic find %.1f ms (%d found in 2)\n",
              folding, ours / keys, found, plain / keys, plainFound, (ours / keys) / (plain / keys), system / 2, systemFound);
  return 0;
}
