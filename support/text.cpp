#include "text.h"

#include <cstdint>
#include <cstring>

#include "memory.h"

namespace {

ScratchArea area;

bool InsideArea(const char* text) {
  return text && area.bytes && text >= area.bytes && text < area.bytes + area.capacity + 5;
}

// An argument that lies inside the area would move with it: work on a private copy.
struct StableText {
  const char* text;
  char* copy = nullptr;
  explicit StableText(const char* source) : text(source ? source : "") {
    if (!InsideArea(source)) return;
    std::size_t length = std::strlen(source);
    copy = static_cast<char*>(AllocateBytes(length + 1));
    if (copy) std::memcpy(copy, source, length + 1);
    text = copy ? copy : "";
  }
  ~StableText() { ReleaseBytes(copy); }
  StableText(const StableText&) = delete;
  StableText& operator=(const StableText&) = delete;
};

int CompareBytes(const char* a, const char* b, std::size_t n, bool ignoreCase) {
  return ignoreCase ? CompareNoCase(a, b, n) : std::strncmp(a, b, n);
}

}  // namespace

void StartTextHelpers() {
  area.capacity = 16;
  area.fill = 0;
  area.bytes = static_cast<char*>(AllocateBytes(area.capacity + 5));
  if (area.bytes) area.bytes[0] = 0;
}

void EndTextHelpers() {
  ReleaseBytes(area.bytes);
  area = ScratchArea{};
}

std::size_t ScratchMark() { return area.fill; }

void ScratchRewind(std::size_t mark) {
  area.fill = mark;
  if (area.bytes) area.bytes[mark] = 0;
}

const char* ScratchTextAt(std::size_t mark) { return area.bytes ? area.bytes + mark : ""; }

char* ScratchReserve(std::size_t count) {
  if (!area.bytes) StartTextHelpers();
  if (!area.bytes || count > SIZE_MAX - area.fill - 16389) return nullptr;
  if (area.fill + count + 4 >= area.capacity) {
    std::size_t capacity = area.fill + count + 16384;
    char* moved = static_cast<char*>(ResizeBytes(area.bytes, capacity + 5));
    if (!moved) return nullptr;
    area.bytes = moved;
    area.capacity = capacity;
  }
  return area.bytes + area.fill;
}

void ScratchCommit(std::size_t count) {
  area.fill += count;
  area.bytes[area.fill] = 0;
}

const char* ScratchAppend(std::size_t mark, const char* piece) {
  StableText stable(piece);
  std::size_t length = std::strlen(stable.text);
  char* room = ScratchReserve(length);
  if (room) {
    std::memcpy(room, stable.text, length);
    ScratchCommit(length);
  }
  return ScratchTextAt(mark);
}

const char* ReplaceAll(const char* source, const char* search, const char* replacement,
                       bool ignoreCase, long start) {
  StableText from(source), what(search), with(replacement);
  std::size_t mark = ScratchMark();
  std::size_t sourceLength = std::strlen(from.text);
  std::size_t n = std::strlen(what.text), m = std::strlen(with.text);
  // Worst case: every byte a match (n = 1), each growing to m bytes; a size beyond what a
  // size_t holds (32-bit) is refused, not wrapped.
  std::size_t matches = n == 0 ? 0 : sourceLength / n + 1, growth = m > n ? m - n : 0;
  if (growth && matches > (SIZE_MAX - sourceLength) / growth) return ScratchTextAt(mark);
  char* out = ScratchReserve(sourceLength + matches * growth);
  if (!out) return ScratchTextAt(mark);
  const char* at = from.text;
  const char* end = from.text + sourceLength;
  if (n != 0 && start > 1) {
    std::size_t skip = static_cast<std::size_t>(start - 1);
    if (skip > sourceLength) skip = sourceLength;
    std::memcpy(out, at, skip);
    out += skip;
    at += skip;
  }
  if (n == 0) {
    std::memcpy(out, at, sourceLength);
    out += sourceLength;
    at = end;
  }
  while (at < end) {
    if (static_cast<std::size_t>(end - at) >= n && CompareBytes(at, what.text, n, ignoreCase) == 0) {
      std::memcpy(out, with.text, m);
      out += m;
      at += n;
    } else {
      *out++ = *at++;
    }
  }
  ScratchCommit(static_cast<std::size_t>(out - (area.bytes + area.fill)));
  return ScratchTextAt(mark);
}

const char* NumberText(std::int32_t value) {
  char digits[12];
  int count = 0;
  std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[count++] = '-';
  std::size_t mark = ScratchMark();
  char* out = ScratchReserve(static_cast<std::size_t>(count));
  if (!out) return ScratchTextAt(mark);
  for (int i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
  ScratchCommit(static_cast<std::size_t>(count));
  return ScratchTextAt(mark);
}

const char* BlankText(long count) {
  std::size_t mark = ScratchMark();
  std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  char* out = ScratchReserve(n);
  if (!out) return ScratchTextAt(mark);
  std::memset(out, ' ', n);
  ScratchCommit(n);
  return ScratchTextAt(mark);
}

int CompareNoCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = FoldAscii(a[i]), y = FoldAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

bool TextGreater(const char* a, const char* b) {
  return std::strcmp(a ? a : "", b ? b : "") > 0;
}

int DecodeUtf8(const std::uint8_t* at, std::size_t available, std::uint32_t& value) {
  const std::uint8_t lead = at[0];
  const int more = lead < 0x80 ? 0 : lead < 0xC0 ? -1 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : -1;
  if (more < 0) return -1;
  if (available <= static_cast<std::size_t>(more)) return 0;
  value = more == 0 ? lead : lead & (0x3Fu >> more);
  for (int k = 1; k <= more; ++k) {
    if ((at[k] & 0xC0) != 0x80) return -1;
    value = value << 6 | (at[k] & 0x3Fu);
  }
  // An overlong form would smuggle in a character it does not encode, such as "]".
  static const std::uint32_t shortest[] = {0, 0x80, 0x800, 0x10000};
  if (value < shortest[more] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
  return 1 + more;
}

bool IsUtf8(const char* text, std::size_t length) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  for (std::size_t i = 0; i < length;) {
    std::uint32_t value;
    int taken = bytes[i] < 0x80 ? 1 : DecodeUtf8(bytes + i, length - i, value);
    if (taken <= 0) return false;
    i += static_cast<std::size_t>(taken);
  }
  return true;
}

int Utf8ToLatin1(std::uint8_t* output, std::int32_t* capacity, const std::uint8_t* input,
                 std::int32_t* count) {
  std::int32_t written = 0, consumed = 0;
  int status = 0;
  std::int32_t room = *capacity, available = input ? *count : 0;
  while (consumed < available) {
    std::uint32_t value;
    int taken = DecodeUtf8(input + consumed, static_cast<std::size_t>(available - consumed), value);
    if (taken == 0) break;  // cut short: left for the caller
    if (taken < 0 || value > 0xFF) {
      status = -2;
      break;
    }
    if (written >= room) break;
    output[written++] = static_cast<std::uint8_t>(value);
    consumed += taken;
  }
  *capacity = written;
  *count = consumed;
  return status;
}

int Latin1ToUtf8(std::uint8_t* output, std::int32_t* capacity, const std::uint8_t* input,
                 std::int32_t* count) {
  std::int32_t written = 0, consumed = 0;
  std::int32_t room = *capacity, available = input ? *count : 0;
  while (consumed < available) {
    std::uint8_t c = input[consumed];
    if (c < 0x80) {
      if (room - written < 1) break;
      output[written++] = c;
    } else {
      if (room - written < 2) break;
      output[written++] = static_cast<std::uint8_t>(0xC0 | (c >> 6));
      output[written++] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    }
    ++consumed;
  }
  *capacity = written;
  *count = consumed;
  return 0;
}
