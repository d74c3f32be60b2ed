#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"

// Every write of the notes runs in one cycle on "Settings.ini": BeginStore opens it and first
// makes again whatever the file refused before; EndStore closes it. What the file refuses is
// remembered, tried again by every later cycle (and by a retry half a minute on) until it is
// taken, and the person is told.
void BeginStore();
// Selects a group by name; the first key written creates it.
void StoreGroup(const std::string& name);
void StoreKey(const char* key, const std::string& value);
void StoreKey(const char* key, std::int32_t value);
void StoreRemoval(const std::string& name);
// True when the file took the cycle, and with it all that waited.
bool EndStore();
// A cycle with only what waits; true at once when nothing does.
bool StoreWaitingWrites();
bool WritesWaiting();
// The notes whose changes wait, quoted, in order: "A", "B" (deleted).
std::string WaitingChanges();
// The file as it would be with everything that waits, written as a new file `name`.
FileFailure CopyWithWaitingWrites(const char* name);
