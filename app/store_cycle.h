#pragma once
#include <cstdint>
#include <string>

#include "file_io.h"
#include "store_names.h"

// Every write of the notes runs in one cycle on "Settings.ini": BeginStore opens it and first
// makes again whatever the file refused before; EndStore closes it. What the file refuses is
// remembered, tried again by every later cycle until it is taken, and the person is told.
// The Cycle... operations work inside an open cycle; the Store... ones are whole cycles.
void BeginStore();
// Opens bytes the file held (its image) as the document, a byte-order mark in them as the store's.
void OpenSettingsImage(const std::string& image);
// Selects a group by name; the first key written creates it.
void CycleSelectGroup(const std::string& name);
void CycleWriteKey(NoteKey key, const std::string& value);
void CycleWriteKey(NoteKey key, std::int32_t value);
void CycleRemoveGroup(const std::string& name);
// True when the file took the cycle, and with it all that waited; the live notes learn what the
// file now holds, or what it refused.
bool EndStore();
// Why the last cycle was refused; None after one the file took.
FileFailure StoreFailure();
// Runs after each cycle the file refused.
void SetStoreRefusalHandler(void (*handler)());
// Runs at the start of each cycle, before the file is opened: another program's change is taken
// in first, so no cycle writes over it what was read before it.
void SetBeforeStoreHandler(void (*handler)());
// A cycle with only what waits; true at once when nothing does.
bool StoreWaitingWrites();
bool WritesWaiting();
// The notes whose changes wait, quoted, in order: "A", "B" (deleted).
std::string WaitingChanges();
// Until the notes are loaded no cycle reads or writes the file, as a note made meanwhile knows no
// stored title: each is refused for `why`, and what it wrote waits. None lets the cycles through.
void HoldStores(FileFailure why);
bool StoresHeld();
// The group as the cycle's file holds it (see StoredGroupText); while the stores are held, why not.
FileFailure CycleGroupText(const std::string& name, std::string& out);
// What waits for group `from` goes to group `to`, its "Title" included.
void RenameWaitingGroup(const std::string& from, const std::string& to);
// The file as it would be with everything that waits, written as a new file `name`.
FileFailure CopyWithWaitingWrites(const char* name);
