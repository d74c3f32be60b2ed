#pragma once
#include <cstddef>
#include <cstdint>

// Text results are built in one process-wide growable area. A caller notes the fill
// position (ScratchMark), runs the expression, copies the result out and rewinds.
// The area may move when it grows, so a pointer into it is good only until the next
// operation that writes into it.
struct ScratchArea {
  char* bytes;
  std::size_t capacity;
  std::size_t fill;
};

void StartTextHelpers();
void EndTextHelpers();

std::size_t ScratchMark();
void ScratchRewind(std::size_t mark);
const char* ScratchTextAt(std::size_t mark);

// Makes room for `count` more bytes at the fill position (the growth rule lives here)
// and returns where they go; the fill position does not move. Null when memory runs out.
char* ScratchReserve(std::size_t count);
// Moves the fill position on by `count` bytes that the caller wrote, and terminates there.
void ScratchCommit(std::size_t count);

// Concatenation: appends `piece` (absent adds nothing) and returns the text begun at `mark`.
const char* ScratchAppend(std::size_t mark, const char* piece);

// Replaces every non-overlapping occurrence of `search`, scanning left to right from the
// 1-based `start`; the result is built at the fill position.
const char* ReplaceAll(const char* source, const char* search, const char* replacement,
                       bool ignoreCase = false, long start = 1);
const char* NumberText(std::int32_t value);
const char* BlankText(long count);
bool TextGreater(const char* a, const char* b);

// An ASCII capital as its small letter, every other byte as it is.
inline unsigned char FoldAscii(char c) {
  const auto x = static_cast<unsigned char>(c);
  return static_cast<unsigned>(x - 'A') < 26u ? static_cast<unsigned char>(x + 32) : x;
}

// Compares n bytes with ASCII letters folded, every other byte exact (as _strnicmp in the C locale).
int CompareNoCase(const char* a, const char* b, std::size_t n);

// Converters between UTF-8 and one byte per character. On return *capacity holds the
// bytes written and *count the bytes consumed. Utf8ToLatin1 gives 0 or -2 (malformed, or
// a character above 255); Latin1ToUtf8 always gives 0.
int Utf8ToLatin1(std::uint8_t* output, std::int32_t* capacity, const std::uint8_t* input,
                 std::int32_t* count);
int Latin1ToUtf8(std::uint8_t* output, std::int32_t* capacity, const std::uint8_t* input,
                 std::int32_t* count);

// One UTF-8 character: its byte count, 0 when the bytes end inside it, -1 when malformed (a
// stray or bad continuation, an overlong form, a surrogate, or beyond U+10FFFF).
int DecodeUtf8(const std::uint8_t* at, std::size_t available, std::uint32_t& value);
bool IsUtf8(const char* text, std::size_t length);

// The process's ANSI code page: 65001 where the program runs with UTF-8 as its own.
std::uint32_t ActiveCodePage();
// The code page the system's ANSI programs use, whatever this program's manifest chose
// (natively 1252, whose texts the native build takes as Latin-1).
std::uint32_t LegacyCodePage();
// Text in code page `page` as UTF-8, built at the fill position and running up to it; null when
// memory runs out.
const char* ToUtf8(std::uint32_t page, const char* text, std::size_t length);
// UTF-8 as text in code page `page`, built likewise; null when memory runs out, when the bytes are
// no UTF-8, or when they hold a character the code page lacks (nothing is guessed or cut).
const char* FromUtf8(std::uint32_t page, const char* text, std::size_t length);
