#include "note_text.h"

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

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareNoCase(a.c_str(), b.c_str(), a.size()) == 0;
}

bool NameTaken(const std::string& name, const std::vector<std::string>& taken) {
  for (const std::string& other : taken) {
    if (SameName(name, other)) return true;
  }
  return false;
}

}  // namespace

std::string EncodeNoteText(const char* text) {
  // Pairs first, so that only the lone CRs and LFs are left for the next two passes.
  return ReplaceInTurn(text, {{"\r\n", "\\n"}, {"\r", "\\n"}, {"\n", "\\n"}, {"\t", " "}});
}

std::string DecodeNoteText(const char* text) { return ReplaceInTurn(text, {{"\\n", "\r\n"}}); }

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
