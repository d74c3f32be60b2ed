#pragma once
#include "file_io.h"
#include "settings_store.h"

// The store's hook before a replace: the first write-back of a day first keeps the file as it was
// read in "Backups" beside it ("Settings.ini" as "Backups\Settings-2026-12-09.ini"), where the
// newest fourteen days are kept.
void KeepDailyCopy(const char* fileName, const SettingsBytes& asRead);
// Why the last write-back that needed the day's copy could not make it; None once it is made.
// The write went ahead regardless.
FileFailure DailyCopyFailure();
// A "<file>.old" that no replace of this run explains (a crash, a swap whose recovery failed) goes
// into "Backups" under the time it was found ("Backups\Settings.old 2026-12-09 14-30-12.ini"),
// never deleted; where it cannot, it stays. False when one stays.
bool KeepStrayBackup(const char* fileName);
// While the session ends no copy is made: there is no time for it.
void SkipDailyCopies(bool skip);
