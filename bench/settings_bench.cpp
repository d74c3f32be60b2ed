// The settings store against inih, SimpleIni and GLib's key files on files shaped like the
// program's own (a group of fourteen keys per note), with memchr + memcpy as the floor; and the
// store's durable cycle against the bare durable replace of the same bytes.
// Prints a ratio table; never run by the tests.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <ini.h>
#include <malloc.h>

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "settings_internal.h"
#include "text.h"

// The peers never flush, so the store's cycle is set beside theirs with its flushes made empty
// (the link wraps fsync) and beside the bare durable replace with them.
bool flushing = true;
extern "C" int __real_fsync(int fd);
extern "C" int __wrap_fsync(int fd) { return flushing ? __real_fsync(fd) : 0; }

namespace {

const int noteCounts[] = {100, 1000, 20000};

std::string FileFor(int notes) { return "/tmp/tackpad-bench-" + std::to_string(notes) + ".ini"; }
std::string CopyFor(int notes) { return "/tmp/tackpad-bench-" + std::to_string(notes) + "-w.ini"; }

std::string MakeFile(int notes) {
  std::string text;
  for (int i = 0; i < notes; ++i) {
    std::string title = "Note number " + std::to_string(i);
    text += "[" + title + "]\r\nXPos = " + std::to_string(i * 7 % 800) + "\r\nYPos = " + std::to_string(i * 13 % 600) +
            "\r\nSize = 258\r\nTitle = " + title + "\r\nText = Buy milk\\nCall Anna at " + std::to_string(i) +
            "\\nThe quick brown fox\r\nFont = Comic Sans MS\r\nFontSize = 14\r\nFontStyle = 768\r\n"
            "FrontColor = 0\r\nBkgColor = 8252912\r\nHidden = 0\r\nOnTop = 1\r\nAlpha = 0\r\nRollup = 0\r\n";
  }
  return text;
}

void PutFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string ReadFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  std::string bytes;
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  std::fclose(f);
  return bytes;
}

std::size_t fileSizes[20001];

void Prepare(int notes) {
  std::string bytes = MakeFile(notes);
  fileSizes[notes] = bytes.size();
  PutFile(FileFor(notes), bytes);
  PutFile(CopyFor(notes), bytes);
}

void Account(benchmark::State& state, int notes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSizes[notes]));
}

std::string Middle(int notes) { return "Note number " + std::to_string(notes / 2); }

// (a) open + parse + close, no writes.

void Parse_Tackpad(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    OpenSettings(FileFor(notes).c_str());
    benchmark::DoNotOptimize(settingsStore.entries.count);
    CloseSettings();
  }
  Account(state, notes);
}

int CountNothing(void*, const char*, const char*, const char*) { return 1; }

void Parse_InihCallback(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ini_parse(FileFor(notes).c_str(), CountNothing, nullptr));
  Account(state, notes);
}

using IniMap = std::map<std::string, std::map<std::string, std::string>>;
int FillMap(void* user, const char* section, const char* name, const char* value) {
  (*static_cast<IniMap*>(user))[section][name] = value;
  return 1;
}

void Parse_InihMap(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    IniMap map;
    ini_parse(FileFor(notes).c_str(), FillMap, &map);
    benchmark::DoNotOptimize(map.size());
  }
  Account(state, notes);
}

void Parse_SimpleIni(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    CSimpleIniA ini;
    benchmark::DoNotOptimize(ini.LoadFile(FileFor(notes).c_str()));
  }
  Account(state, notes);
}

void Parse_GKeyFile(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    GKeyFile* file = g_key_file_new();
    benchmark::DoNotOptimize(g_key_file_load_from_file(file, FileFor(notes).c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr));
    g_key_file_free(file);
  }
  Account(state, notes);
}

void Parse_Floor(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  std::vector<char> copy(fileSizes[notes]);
  for (auto _ : state) {
    std::string bytes = ReadFile(FileFor(notes));
    std::size_t lines = 0;
    for (const char* at = bytes.data(); (at = static_cast<const char*>(std::memchr(at, '\n', bytes.data() + bytes.size() - at))); ++at) ++lines;
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(lines);
    benchmark::DoNotOptimize(copy.data());
  }
  Account(state, notes);
}

// (b) the command cycle: open, select the middle note, write four keys, close (full rewrite).

void TackpadCycle(benchmark::State& state, bool durable) {
  int notes = static_cast<int>(state.range(0));
  std::string file = CopyFor(notes), group = Middle(notes);
  flushing = durable;
  for (auto _ : state) {
    OpenSettings(file.c_str());
    SelectGroup(group.c_str());
    WriteKeyLong("XPos", 120);
    WriteKeyLong("YPos", 240);
    WriteKeyLong("Size", 258);
    WriteKeyLong("OnTop", 1);
    CloseSettings();
  }
  flushing = true;
  Account(state, notes);
}

void Cycle_Tackpad(benchmark::State& state) { TackpadCycle(state, false); }
void Durable_Tackpad(benchmark::State& state) { TackpadCycle(state, true); }

// The physical floor of a durable cycle: the bytes the cycle writes, put in a temporary file,
// flushed, renamed over the file, and the rename flushed in its folder.
void Durable_Floor(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  std::string file = CopyFor(notes), temp = file + ".new";
  std::string bytes = ReadFile(file);
  for (auto _ : state) {
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    benchmark::DoNotOptimize(write(fd, bytes.data(), bytes.size()));
    fsync(fd);
    close(fd);
    std::rename(temp.c_str(), file.c_str());
    int folder = open("/tmp", O_RDONLY | O_DIRECTORY);
    fsync(folder);
    close(folder);
  }
  Account(state, notes);
}

// inih keeps no document: collect the lines in order, change them, write the file by hand.
struct Line {
  std::string section, key, value;
};
int CollectLines(void* user, const char* section, const char* name, const char* value) {
  static_cast<std::vector<Line>*>(user)->push_back(Line{section, name, value});
  return 1;
}

void Cycle_InihHandWritten(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  std::string file = CopyFor(notes), group = Middle(notes);
  for (auto _ : state) {
    std::vector<Line> lines;
    ini_parse(file.c_str(), CollectLines, &lines);
    for (Line& l : lines) {
      if (strcasecmp(l.section.c_str(), group.c_str()) != 0) continue;
      if (l.key == "XPos") l.value = "120";
      else if (l.key == "YPos") l.value = "240";
      else if (l.key == "Size") l.value = "258";
      else if (l.key == "OnTop") l.value = "1";
    }
    std::string out;
    out.reserve(fileSizes[notes] + 64);
    const std::string* section = nullptr;
    for (const Line& l : lines) {
      if (!section || *section != l.section) {
        out += "[" + l.section + "]\r\n";
        section = &l.section;
      }
      out += l.key + " = " + l.value + "\r\n";
    }
    PutFile(file, out);
  }
  Account(state, notes);
}

void Cycle_SimpleIni(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  std::string file = CopyFor(notes), group = Middle(notes);
  for (auto _ : state) {
    CSimpleIniA ini;
    ini.LoadFile(file.c_str());
    ini.SetLongValue(group.c_str(), "XPos", 120);
    ini.SetLongValue(group.c_str(), "YPos", 240);
    ini.SetLongValue(group.c_str(), "Size", 258);
    ini.SetLongValue(group.c_str(), "OnTop", 1);
    ini.SaveFile(file.c_str());
  }
  Account(state, notes);
}

void Cycle_GKeyFile(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  std::string file = CopyFor(notes), group = Middle(notes);
  for (auto _ : state) {
    GKeyFile* keys = g_key_file_new();
    g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
    g_key_file_set_integer(keys, group.c_str(), "XPos", 120);
    g_key_file_set_integer(keys, group.c_str(), "YPos", 240);
    g_key_file_set_integer(keys, group.c_str(), "Size", 258);
    g_key_file_set_integer(keys, group.c_str(), "OnTop", 1);
    g_key_file_save_to_file(keys, file.c_str(), nullptr);
    g_key_file_free(keys);
  }
  Account(state, notes);
}

void Cycle_Floor(benchmark::State& state) {
  int notes = static_cast<int>(state.range(0));
  std::string file = CopyFor(notes);
  for (auto _ : state) {
    std::string bytes = ReadFile(file);
    std::string copy(bytes);
    PutFile(file, copy);
  }
  Account(state, notes);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int n : noteCounts) b->Arg(n);
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(Parse_Tackpad)->Apply(Sizes);
BENCHMARK(Parse_InihCallback)->Apply(Sizes);
BENCHMARK(Parse_InihMap)->Apply(Sizes);
BENCHMARK(Parse_SimpleIni)->Apply(Sizes);
BENCHMARK(Parse_GKeyFile)->Apply(Sizes);
BENCHMARK(Parse_Floor)->Apply(Sizes);
BENCHMARK(Cycle_Tackpad)->Apply(Sizes);
BENCHMARK(Cycle_InihHandWritten)->Apply(Sizes);
BENCHMARK(Cycle_SimpleIni)->Apply(Sizes);
BENCHMARK(Cycle_GKeyFile)->Apply(Sizes);
BENCHMARK(Cycle_Floor)->Apply(Sizes);
BENCHMARK(Durable_Tackpad)->Apply(Sizes);
BENCHMARK(Durable_Floor)->Apply(Sizes);

// Collects every run's time per iteration, then prints the ratios against the peers.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      std::size_t slash = name.find('/');
      times_[name.substr(slash + 1)][name.substr(0, slash)] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-7s %-22s %12s %10s %10s %12s\n", "notes", "benchmark", "us/op", "MB/s", "ns/byte", "Tackpad is");
    for (auto& [notes, byName] : times_) {
      int n = std::stoi(notes);
      double bytes = static_cast<double>(fileSizes[n]);
      for (const char* kind : {"Parse_", "Cycle_", "Durable_"}) {
        double ours = byName[std::string(kind) + "Tackpad"];
        for (auto& [name, us] : byName) {
          if (name.rfind(kind, 0) != 0) continue;
          std::printf("%-7d %-22s %12.1f %10.1f %10.3f %11.2fx\n", n, name.c_str(), us, bytes / us, us * 1000 / bytes,
                      us / ours);
        }
      }
    }
    std::printf("(\"Tackpad is Nx\": the other's time over ours; above 1 means Tackpad is faster.)\n");
  }

 private:
  std::map<std::string, std::map<std::string, double>> times_;
};

void ReportPeakMemory() {
  std::printf("Memory held by an open document:\n");
  for (int notes : noteCounts) {
    struct mallinfo2 before = mallinfo2();
    OpenSettings(FileFor(notes).c_str());
    struct mallinfo2 after = mallinfo2();
    double held = static_cast<double>((after.uordblks + after.hblkhd) - (before.uordblks + before.hblkhd));
    std::printf("  %5d notes: %9zu bytes of file, %9.0f bytes held, %.2f x the file\n", notes, fileSizes[notes], held,
                held / static_cast<double>(fileSizes[notes]));
    CloseSettings();
  }
}

}  // namespace

int main(int argc, char** argv) {
  StartTextHelpers();
  InitSettingsStore();
  for (int n : noteCounts) Prepare(n);
  ReportPeakMemory();  // first, while no document has been open yet
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (int n : noteCounts) {
    std::remove(FileFor(n).c_str());
    std::remove(CopyFor(n).c_str());
  }
  return 0;
}
