#include "wide_text.h"

namespace {

// Empty where the code page lacks a character of `text`.
std::string ExactlyNarrowed(const std::wstring& text) {
  BOOL lost = FALSE;
  const int count = static_cast<int>(text.size());
  const int bytes =
      count ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), count, nullptr, 0, nullptr, &lost) : 0;
  if (!bytes || lost) return std::string();
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), count, &narrow[0], bytes, nullptr, nullptr);
  return narrow;
}

}  // namespace

std::wstring Widened(const char* text) {
  const int units = text && *text ? MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0) : 0;
  std::wstring wide(units > 0 ? static_cast<std::size_t>(units) : 1, L'\0');
  if (units > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], units);
  wide.resize(wide.size() - 1);
  return wide;
}

std::string Narrowed(const wchar_t* text) {
  const int bytes = text && *text ? WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr) : 0;
  std::string narrow(bytes > 0 ? static_cast<std::size_t>(bytes) : 1, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], bytes, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

std::string PathInCodePage(const std::wstring& path) {
  std::string narrow = ExactlyNarrowed(path);
  if (!narrow.empty() || path.empty()) return narrow;
  const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
  std::wstring shortForm(length, L'\0');
  if (!length || GetShortPathNameW(path.c_str(), &shortForm[0], length) != length - 1) return std::string();
  shortForm.resize(length - 1);
  return ExactlyNarrowed(shortForm);
}

std::wstring FoldedForSearch(const std::wstring& text) {
  if (text.empty()) return text;
  const int length = static_cast<int>(text.size());
  std::wstring composed(static_cast<std::size_t>(NormalizeString(NormalizationC, text.c_str(), length, nullptr, 0)), L'\0');
  const int made = composed.empty() ? 0 : NormalizeString(NormalizationC, text.c_str(), length, &composed[0],
                                                          static_cast<int>(composed.size()));
  if (made > 0) composed.resize(static_cast<std::size_t>(made));
  else composed = text;  // not normal text (a lone surrogate): cased as it stands
  const DWORD flags = LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING;
  std::wstring folded(composed.size(), L'\0');
  const int cased = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, composed.c_str(), static_cast<int>(composed.size()),
                                  &folded[0], static_cast<int>(folded.size()), nullptr, nullptr, 0);
  return cased > 0 ? folded.substr(0, static_cast<std::size_t>(cased)) : composed;
}
