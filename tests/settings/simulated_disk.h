#pragma once
// A disk under the native file layer that remembers each step made on it and tells what a power
// cut after any of them could leave: data not yet flushed lost, kept or torn in half; steps on
// names journaled, each there whole or not at all.
#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "file_io.h"

struct SimulatedDisk {
  struct Step { DiskStep::Kind kind; ino_t file; std::string name, to, bytes; std::uint64_t at; };
  std::map<std::string, ino_t> names;  // as at the start, all on the disk for good
  std::map<ino_t, std::string> contents;
  std::vector<Step> steps;
  std::size_t refused, seen;  // the step (from 0) refused as a full disk refuses it
};
inline SimulatedDisk disk;

// Records from now on, over a disk that holds `file` (an absolute path) with `content`, if it is there.
inline void StartDisk(const std::string& file, const std::string& content, std::size_t refused = SIZE_MAX) {
  struct stat st {};
  disk = SimulatedDisk{{}, {}, {}, refused, 0};
  if (stat(file.c_str(), &st) == 0) disk.names[file] = st.st_ino, disk.contents[st.st_ino] = content;
  onDiskStep = [](const DiskStep& s) {
    if (disk.seen++ == disk.refused) return false;
    struct stat st {};
    if (s.descriptor >= 0) fstat(s.descriptor, &st);
    disk.steps.push_back({s.kind, st.st_ino, s.name ? s.name : "", s.to ? s.to : "",
                          s.bytes ? std::string(static_cast<const char*>(s.bytes), s.length) : "", s.at});
    return true;
  };
}

inline void Written(std::string& content, std::uint64_t at, const std::string& bytes) {
  if (content.size() < at + bytes.size()) content.resize(at + bytes.size(), '\0');  // a gap reads as zeros
  content.replace(at, bytes.size(), bytes);
}

// Each pending write from `next` on is lost, made, or made in its first half only.
inline void Outcomes(const std::vector<const SimulatedDisk::Step*>& pending, std::size_t next, std::string content,
                     std::set<std::string>& out) {
  if (next == pending.size()) return void(out.insert(content));
  const SimulatedDisk::Step& s = *pending[next];
  Outcomes(pending, next + 1, content, out);
  std::string made = content;
  Written(made, s.at, s.bytes);
  Outcomes(pending, next + 1, made, out);
  Written(content, s.at, s.bytes.substr(0, s.bytes.size() / 2));
  if (s.bytes.size() > 1) Outcomes(pending, next + 1, content, out);
}

// Every content `name` could hold after a cut behind the first `count` steps ("none": missing).
inline std::set<std::string> AfterCut(std::size_t count, const std::string& name) {
  std::map<ino_t, std::string> durable = disk.contents;
  std::map<ino_t, std::vector<const SimulatedDisk::Step*>> pending;
  std::map<std::string, ino_t> names = disk.names;
  for (auto s = disk.steps.begin(); s != disk.steps.begin() + count; ++s) {
    if (s->kind == DiskStep::Write) pending[s->file].push_back(&*s);
    if (s->kind == DiskStep::Flush) {
      for (const SimulatedDisk::Step* p : pending[s->file]) Written(durable[s->file], p->at, p->bytes);
      pending[s->file].clear();
    }
    if (s->kind == DiskStep::Create) names[s->name] = s->file;
    if (s->kind == DiskStep::Rename || s->kind == DiskStep::Link) names[s->to] = names[s->name];
    if (s->kind == DiskStep::Rename || s->kind == DiskStep::Unlink) names.erase(s->name);
  }
  if (!names.count(name)) return {"none"};
  std::set<std::string> out;
  Outcomes(pending[names[name]], 0, durable[names[name]], out);
  return out;
}
