#include "note_text.h"

#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "text.h"
#include "version.h"

namespace {

struct Replacement {
  const char* search;
  const char* with;
};

// One ReplaceAll pass per step, each over the result of the one before.
std::string ReplaceInTurn(const char* text, std::initializer_list<Replacement> steps) {
  std::string result = text ? text : "";
  for (const Replacement& step : steps) {
    std::size_t mark = ScratchMark();
    result = ReplaceAll(result.c_str(), step.search, step.with);
    ScratchRewind(mark);
  }
  return result;
}

}  // namespace

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareNoCase(a.c_str(), b.c_str(), a.size()) == 0;
}

namespace {

bool NameTaken(const std::string& name, const std::vector<std::string>& taken) {
  for (const std::string& other : taken) {
    if (SameName(name, other)) return true;
  }
  return false;
}

// Length and checksum (FNV-1a) of the text as the file hands it back: without blanks at the ends.
std::string MarkOf(const std::string& stored) {
  std::size_t first = stored.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  std::size_t length = stored.find_last_not_of(" \t") - first + 1;
  std::uint32_t sum = 2166136261u;
  for (std::size_t i = first; i < first + length; ++i) sum = (sum ^ static_cast<unsigned char>(stored[i])) * 16777619u;
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(sum));
  return std::to_string(length) + "-" + hex;
}

// One pass, so that a doubled backslash before "n" stays a backslash and a letter.
std::string Unescaped(const char* text) {
  std::string result;
  for (const char* at = text; *at; ++at) {
    if (*at == '\\' && (at[1] == '\\' || at[1] == 'n')) {
      result += *++at == 'n' ? "\r\n" : "\\";
    } else {
      result += *at;
    }
  }
  return result;
}

}  // namespace

StoredNoteText EncodeNoteText(const char* text) {
  StoredNoteText stored{text ? text : "", std::string()};
  const bool escaped = stored.text.find("\\n") != std::string::npos;
  // Backslashes first, so that the escapes put in for line breaks are not doubled.
  if (escaped) stored.text = ReplaceInTurn(stored.text.c_str(), {{"\\", "\\\\"}});
  // Pairs first, so that only the lone CRs and LFs are left for the next two passes.
  stored.text = ReplaceInTurn(stored.text.c_str(), {{"\r\n", "\\n"}, {"\r", "\\n"}, {"\n", "\\n"}, {"\t", " "}});
  if (escaped) stored.mark = MarkOf(stored.text);
  return stored;
}

std::string DecodeNoteText(const char* text, const char* mark) {
  text = text ? text : "";
  if (mark && *mark && MarkOf(text) == mark) return Unescaped(text);
  return ReplaceInTurn(text, {{"\\n", "\r\n"}});
}

std::string CleanNoteTitle(const char* title) {
  std::string clean = title ? title : "";
  for (char& c : clean) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) {
      c = ' ';
    } else if (c == ']') {
      c = ')';
    }
  }
  std::size_t first = clean.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  std::size_t last = clean.find_last_not_of(' ');
  return clean.substr(first, last - first + 1);
}

std::string FreeNoteTitle(const std::string& title, const std::vector<std::string>& taken) {
  std::string candidate = title;
  for (int k = 2; NameTaken(candidate, taken); ++k) {
    candidate = title + " (" + std::to_string(k) + ")";
  }
  return candidate;
}

std::string ShownNoteTitle(const std::string& groupName, const std::string& storedTitle) {
  return SameName(storedTitle, groupName) ? storedTitle : groupName;
}

std::string AboutText() {
  std::string text = "Tackpad v" TACKPAD_VERSION "\n";
  text += "\n";
  text += "Little notes that stay where you pin them.\n";
  text += "Written in C++ on the plain Win32 API.\n";
  text += "\n";
  text += "Free to use, copy and share.\n";
  text += "\n";
  return text;
}
