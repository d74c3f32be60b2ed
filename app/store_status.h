#pragma once
#include <string>

#include "file_io.h"

// What the person is told about the file: a balloon once per cause of a failed store (again only
// after a success or for another cause), and the tray icon's tip, which names what is wrong until
// a store succeeds.
void ReportStore(bool stored, FileFailure why);
// In a few words, why the file could not be written.
const char* FailureReason(FileFailure why);
// A start after changes went to a recovery file: says where it is.
void TellRecoveryFile(const std::string& path);
// Gives the icon its tip and any balloon not yet shown; the icon calls it whenever it is (re)added.
void ShowStoreStatus();
