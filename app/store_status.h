#pragma once
#include <string>

#include "file_io.h"

// What the person is told about the file: a balloon once per cause of a failed store (again only
// after a success or for another cause), and the tray icon's tip, which names what is wrong until
// a store succeeds.
void ReportStore(bool stored, FileFailure why);
// In a few words, why `file` could not be written.
std::string FailureReason(FileFailure why, const std::string& file);
// A balloon once per cause of a failed copy of the day (again only after one was made).
void ReportDailyCopy(FileFailure why);
// "Delete note" found its group could not be kept in the bin: the note stays, and the balloon says why.
void TellNoteNotDeleted(FileFailure why, const char* file);
// A store found the file missing and made it again from what the program knew.
void TellFileWrittenAgain();
// A start after changes went to a recovery file: says where it is.
void TellRecoveryFile(const std::string& path);
// A start after an end that could keep the changes nowhere: names the notes they were made to.
void TellChangesLost(const std::string& notes);
// Gives the icon its tip and any balloon not yet shown; the icon calls it whenever it is (re)added.
void ShowStoreStatus();
