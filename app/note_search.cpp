#include "note_search.h"

#include <algorithm>

namespace {

// The blanks of the scripts a person may type a search in: a space, a tab, a line end, a
// no-break space, an ideographic space.
constexpr wchar_t Blanks[] = L" \t\r\n\u00A0\u3000";

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::wstring SearchTerm(const std::wstring& typed, FoldText fold) {
  const std::size_t first = typed.find_first_not_of(Blanks);
  if (first == std::wstring::npos) return std::wstring();
  return fold(typed.substr(first, typed.find_last_not_of(Blanks) - first + 1));
}

bool NoteHoldsTerm(const std::wstring& term, const std::wstring& foldedTitle, const std::wstring& foldedText) {
  return term.empty() || foldedTitle.find(term) != std::wstring::npos || foldedText.find(term) != std::wstring::npos;
}

std::wstring FirstLineOf(const std::wstring& text, std::size_t room) {
  std::wstring line = text.substr(0, std::min(text.find_first_of(L"\r\n"), room + 1));
  if (line.size() > room) line.resize(room && IsHighSurrogate(line[room - 1]) ? room - 1 : room);
  std::replace(line.begin(), line.end(), L'\t', L' ');
  return line;
}
