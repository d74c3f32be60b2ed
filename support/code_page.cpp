#include <cstdint>

#include "memory.h"
#include "text.h"

#ifdef _WIN32
#include <windows.h>

namespace {

// Through UTF-16, built at the fill position. With `strict`, a text that is not valid in `from`
// or holds a character `to` lacks is refused: no character is guessed or dropped.
const char* Recode(UINT from, UINT to, bool strict, const char* text, std::size_t length) {
  const std::size_t mark = ScratchMark();
  if (length > INT32_MAX / 3) return nullptr;
  const int count = static_cast<int>(length);
  const DWORD readFlags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int units = count ? MultiByteToWideChar(from, readFlags, text, count, nullptr, 0) : 0;
  if (count && !units) return nullptr;
  auto* wide = static_cast<wchar_t*>(AllocateBytes(sizeof(wchar_t) * static_cast<std::size_t>(units) + 1));
  // A UTF-16 unit never takes more than three bytes, in UTF-8 or in any ANSI code page.
  char* out = wide ? ScratchReserve(static_cast<std::size_t>(units) * 3) : nullptr;
  BOOL lost = FALSE;
  int bytes = 0;
  if (out && units && MultiByteToWideChar(from, readFlags, text, count, wide, units) == units) {
    bytes = WideCharToMultiByte(to, strict ? WC_NO_BEST_FIT_CHARS : 0, wide, units, out, units * 3, nullptr,
                                strict ? &lost : nullptr);
  }
  ReleaseBytes(wide);
  if (!out || (units && !bytes) || lost) return nullptr;
  ScratchCommit(static_cast<std::size_t>(bytes));
  return ScratchTextAt(mark);
}

}  // namespace

std::uint32_t ActiveCodePage() { return GetACP(); }

std::uint32_t LegacyCodePage() {
  static const UINT page = [] {
    DWORD number = 0;
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<LPSTR>(&number), sizeof number);
    return number != 0 && number != CP_UTF8 && IsValidCodePage(number) ? number : 1252u;
  }();
  return page;
}

const char* ToUtf8(std::uint32_t page, const char* text, std::size_t length) {
  return Recode(page, CP_UTF8, false, text, length);
}

const char* FromUtf8(std::uint32_t page, const char* text, std::size_t length) {
  return Recode(CP_UTF8, page, true, text, length);
}

#else

std::uint32_t ActiveCodePage() { return 65001; }
std::uint32_t LegacyCodePage() { return 1252; }

const char* ToUtf8(std::uint32_t, const char* text, std::size_t length) {
  const std::size_t mark = ScratchMark();
  if (length > INT32_MAX / 2) return nullptr;
  char* out = ScratchReserve(length * 2);
  if (!out) return nullptr;
  auto room = static_cast<std::int32_t>(length * 2), count = static_cast<std::int32_t>(length);
  Latin1ToUtf8(reinterpret_cast<std::uint8_t*>(out), &room, reinterpret_cast<const std::uint8_t*>(text), &count);
  ScratchCommit(static_cast<std::size_t>(room));
  return ScratchTextAt(mark);
}

const char* FromUtf8(std::uint32_t, const char* text, std::size_t length) {
  const std::size_t mark = ScratchMark();
  if (length > INT32_MAX) return nullptr;
  char* out = ScratchReserve(length);
  if (!out) return nullptr;
  auto room = static_cast<std::int32_t>(length), count = room;
  if (Utf8ToLatin1(reinterpret_cast<std::uint8_t*>(out), &room, reinterpret_cast<const std::uint8_t*>(text), &count) != 0 ||
      count != static_cast<std::int32_t>(length))
    return nullptr;
  ScratchCommit(static_cast<std::size_t>(room));
  return ScratchTextAt(mark);
}

#endif
