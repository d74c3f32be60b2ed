#include "store_status.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

#include "note_rules.h"
#include "store_names.h"
#include "tray.h"
#include "wide_text.h"

namespace {

FileFailure toldCause = FileFailure::None;  // of the failures since the last success
FileFailure toldCopyCause = FileFailure::None;  // of the day's copy, likewise
std::string tip = "Tackpad", balloonTitle, balloonText;

// Windows' Controlled folder access refuses programs it does not trust in these folders and below.
bool InProtectedFolder() {
  char here[MAX_PATH], folder[MAX_PATH];
  if (!GetCurrentDirectoryA(sizeof here, here)) return false;
  for (int known : {CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO,
                    CSIDL_FAVORITES, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_DESKTOPDIRECTORY}) {
    if (SHGetFolderPathA(nullptr, known, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) continue;
    const std::size_t length = std::strlen(folder);
    if (_strnicmp(here, folder, length) == 0 && (here[length] == 0 || here[length] == '\\')) return true;
  }
  return false;
}

}  // namespace

std::string FailureReason(FileFailure why, const std::string& file) {
  switch (why) {
    case FileFailure::ReadOnly: return file + " is read-only";
    case FileFailure::HeldByAnother: return "another program has " + file + " open";
    case FileFailure::FolderNotWritable:
      return InProtectedFolder() ? "its folder cannot be written to (Windows' Controlled folder access may be "
                                   "blocking Tackpad there)"
                                 : "its folder cannot be written to";
    case FileFailure::FolderGone: return "its folder is gone (moved, renamed, or on a drive not connected)";
    case FileFailure::DiskFull: return "the disk is full";
    case FileFailure::NoMemory: return "there is not enough memory";
    case FileFailure::Unread: return file + " could not be read";
    case FileFailure::Appeared: return file + " was made by another program meanwhile";
    default: return "Windows refused to write " + file;
  }
}

namespace {

bool heldIsFailure;  // the balloon held tells of a failure a later success makes untrue
bool heldListsNotes, shownListsNotes;  // the balloon held, and the last shown, speaks of notes "All Notes" lists

// Cut from its middle, so that where it starts and the file's name both show.
std::string ShortenedPath(const std::string& path, std::size_t most) {
  const std::wstring wide = Widened(path.c_str());
  wchar_t shortened[MAX_PATH];
  if (wide.size() <= most || wide.size() >= MAX_PATH || most >= MAX_PATH ||
      !PathCompactPathExW(shortened, wide.c_str(), static_cast<UINT>(most + 1), 0)) {
    return path;
  }
  return Narrowed(shortened);
}

// Why the file could not be read: the reasons of a refused write would misname most.
std::string ReadFailureReason(FileFailure why) {
  return why == FileFailure::HeldByAnother || why == FileFailure::NoMemory ? FailureReason(why, SettingsFile)
                                                                          : std::string(SettingsFile) + " could not be read";
}

void Tell(const char* title, const std::string& text, bool failure = false, bool listsNotes = false) {
  balloonTitle = title;
  balloonText = text;
  heldIsFailure = failure;
  heldListsNotes = listsNotes;
  ShowStoreStatus();
}

}  // namespace

void ReportStore(bool stored, FileFailure why) {
  if (stored) {
    if (toldCause == FileFailure::None) return;
    toldCause = FileFailure::None;
    tip = "Tackpad";
    if (heldIsFailure) balloonText.clear();
    return ShowStoreStatus();
  }
  if (why == toldCause) return;
  toldCause = why;
  tip = "Tackpad: changes not saved, " + FailureReason(why, SettingsFile);
  Tell("Tackpad cannot save your notes",
       "Changes cannot be saved: " + FailureReason(why, SettingsFile) + ". They are kept and saved as soon as possible.",
       true);
}

void TellNotesNotLoaded(FileFailure why) {
  if (why == toldCause) return;
  toldCause = why;
  const std::string reason = ReadFailureReason(why);
  tip = "Tackpad: notes not loaded yet, " + reason;
  Tell("Tackpad cannot load your notes yet",
       "Your notes are not lost: " + reason + ". They appear as soon as " + SettingsFile + " can be read.", true);
}

void ReportDailyCopy(FileFailure why) {
  if (why == toldCopyCause) return;
  toldCopyCause = why;
  if (why == FileFailure::None) return;
  Tell("Tackpad cannot keep today's copy of your notes", "Your notes are saved, but no copy of them could be made in Backups: " +
                                                             FailureReason(why, "Backups") + ". It is tried again at the next save.");
}

void TellNoteNotDeleted(FileFailure why, const char* file) {
  Tell("Tackpad did not delete the note", "The note was not deleted: " + FailureReason(why, file) + ".");
}

void TellNoteNotMade(FileFailure why) {
  Tell("Tackpad did not make the note",
       "No note was made, as the titles of the stored notes cannot be read: " + ReadFailureReason(why) + ".");
}

void TellNotice(const char* title, const std::string& text, bool listsNotes) { Tell(title, text, false, listsNotes); }

bool BalloonSpeaksOfListedNotes() { return shownListsNotes; }

void TellWhereTheIconIs() {
  Tell("Tackpad is running",
       "Its icon is in the notification area. Where Windows keeps new icons out of sight, it is under the arrow "
       "beside the clock: drag it onto the taskbar to keep it in view.");
}

void TellFileWrittenAgain() {
  Tell("Tackpad wrote your notes again", std::string(SettingsFile) + " was missing: your notes were written again.");
}

void TellRecoveryFile(const std::string& path) {
  const std::string tipStart = "Tackpad: unsaved notes were kept in ", textStart = "Unsaved notes were kept in ";
  tip = tipStart + ShortenedPath(path, TipRoom - 1 - tipStart.size());
  Tell("Tackpad kept unsaved notes", textStart + ShortenedPath(path, BalloonTextRoom - 1 - textStart.size()));
}

void TellChangesLost(const std::string& notes) {
  Tell("Tackpad could not keep some changes",
       "When Tackpad last ended, changes to these notes could be saved nowhere and were lost: " + notes + ".");
}

HeldStatus HeldStoreStatus() { return {tip, balloonText}; }

void ShowStoreStatus() {
  if (!TrayIconSetTip(TrayIcon, tip.c_str())) return;  // no icon yet: shown once it is added
  if (balloonText.empty()) return;
  if (!TrayIconBalloon(TrayIcon, balloonTitle.c_str(), balloonText.c_str(), NIIF_WARNING)) return;
  balloonText.clear();
  shownListsNotes = heldListsNotes;
}
