#include <cstdint>

#include "memory.h"
#include "text.h"

#ifdef _WIN32
#include <windows.h>

namespace {

// The code page the system's ANSI programs use, whatever this program's manifest chose.
UINT LegacyCodePage() {
  static const UINT page = [] {
    DWORD number = 0;
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<LPSTR>(&number), sizeof number);
    return number != 0 && number != CP_UTF8 && IsValidCodePage(number) ? number : 1252u;
  }();
  return page;
}

}  // namespace

std::uint32_t ActiveCodePage() { return GetACP(); }

const char* LegacyToUtf8(const char* text, std::size_t length) {
  const std::size_t mark = ScratchMark();
  if (length > INT32_MAX / 3) return nullptr;
  const int count = static_cast<int>(length);
  const int units = count ? MultiByteToWideChar(LegacyCodePage(), 0, text, count, nullptr, 0) : 0;
  auto* wide = static_cast<wchar_t*>(AllocateBytes(sizeof(wchar_t) * static_cast<std::size_t>(units) + 1));
  // A UTF-16 unit never takes more than three UTF-8 bytes.
  char* out = wide ? ScratchReserve(static_cast<std::size_t>(units) * 3) : nullptr;
  int bytes = 0;
  if (out && MultiByteToWideChar(LegacyCodePage(), 0, text, count, wide, units) == units) {
    bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, out, units * 3, nullptr, nullptr);
  }
  ReleaseBytes(wide);
  if (!out) return nullptr;
  ScratchCommit(static_cast<std::size_t>(bytes));
  return ScratchTextAt(mark);
}

#else

std::uint32_t ActiveCodePage() { return 65001; }

const char* LegacyToUtf8(const char* text, std::size_t length) {
  const std::size_t mark = ScratchMark();
  if (length > INT32_MAX / 2) return nullptr;
  char* out = ScratchReserve(length * 2);
  if (!out) return nullptr;
  auto room = static_cast<std::int32_t>(length * 2), count = static_cast<std::int32_t>(length);
  Latin1ToUtf8(reinterpret_cast<std::uint8_t*>(out), &room, reinterpret_cast<const std::uint8_t*>(text), &count);
  ScratchCommit(static_cast<std::size_t>(room));
  return ScratchTextAt(mark);
}

#endif
