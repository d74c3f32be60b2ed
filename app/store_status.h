#pragma once
#include <string>

#include "file_io.h"

// What the person is told about the file: a balloon once per cause of a failed store (again only
// after a success or for another cause), and the tray icon's tip, which names what is wrong until
// a store succeeds; a success also drops such a balloon not yet shown.
void ReportStore(bool stored, FileFailure why);
// In a few words, why `file` could not be written.
std::string FailureReason(FileFailure why, const std::string& file);
// A start could not read the file: the notes are not lost and load once it can be read; told as a
// failed store is, and ended as one by the next success.
void TellNotesNotLoaded(FileFailure why);
// A balloon once per cause of a failed copy of the day (again only after one was made).
void ReportDailyCopy(FileFailure why);
// "Delete note" found its group could not be kept in the bin: the note stays, and the balloon says why.
void TellNoteNotDeleted(FileFailure why, const char* file);
// "New Note" could not learn the stored titles, so no note was made.
void TellNoteNotMade(FileFailure why);
// A balloon of its own, once: what happened to the notes from elsewhere. `listsNotes`: a click
// on it opens "All Notes", which lists the notes it speaks of.
void TellNotice(const char* title, const std::string& text, bool listsNotes = false);
// Whether the balloon shown last was such a one.
bool BalloonSpeaksOfListedNotes();
// The very first start: where the icon is, which Windows 11 puts out of sight.
void TellWhereTheIconIs();
// A store found the file missing and made it again from what the program knew.
void TellFileWrittenAgain();
// A start after changes went to a recovery file: says where it is.
void TellRecoveryFile(const std::string& path);
// A start after an end that could keep the changes nowhere: names the notes they were made to.
void TellChangesLost(const std::string& notes);
// What the icon shows, or will once it is added: its tip, and a balloon not yet shown (else empty).
struct HeldStatus {
  std::string tip, balloon;
};
HeldStatus HeldStoreStatus();
// Gives the icon its tip and any balloon not yet shown; the icon calls it whenever it is (re)added.
void ShowStoreStatus();
