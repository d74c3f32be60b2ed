#include "store_status.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "note_rules.h"
#include "store_names.h"
#include "tray.h"

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
    case FileFailure::DiskFull: return "the disk is full";
    case FileFailure::NoMemory: return "there is not enough memory";
    case FileFailure::Unread: return file + " changed while it was read";
    default: return "Windows refused to write " + file;
  }
}

void ReportStore(bool stored, FileFailure why) {
  if (stored) {
    if (toldCause == FileFailure::None) return;
    toldCause = FileFailure::None;
    tip = "Tackpad";
  } else {
    if (why == toldCause) return;
    toldCause = why;
    tip = "Tackpad: changes not saved, " + FailureReason(why, SettingsFile);
    balloonTitle = "Tackpad cannot save your notes";
    balloonText = "Changes cannot be saved: " + FailureReason(why, SettingsFile) +
                  ". They are kept and saved as soon as possible.";
  }
  ShowStoreStatus();
}

void ReportDailyCopy(FileFailure why) {
  if (why == toldCopyCause) return;
  toldCopyCause = why;
  if (why == FileFailure::None) return;
  balloonTitle = "Tackpad cannot keep today's copy of your notes";
  balloonText = "Your notes are saved, but no copy of them could be made in Backups: " + FailureReason(why, "Backups") +
                ". It is tried again at the next save.";
  ShowStoreStatus();
}

void TellNoteNotDeleted(FileFailure why, const char* file) {
  balloonTitle = "Tackpad did not delete the note";
  balloonText = "The note was not deleted: " + FailureReason(why, file) + ".";
  ShowStoreStatus();
}

void TellFileWrittenAgain() {
  balloonTitle = "Tackpad wrote your notes again";
  balloonText = std::string(SettingsFile) + " was missing: your notes were written again.";
  ShowStoreStatus();
}

void TellRecoveryFile(const std::string& path) {
  tip = "Tackpad: unsaved notes were kept in " + path;
  balloonTitle = "Tackpad kept unsaved notes";
  balloonText = "Unsaved notes were kept in " + path;
  ShowStoreStatus();
}

void TellChangesLost(const std::string& notes) {
  balloonTitle = "Tackpad could not keep some changes";
  balloonText = "When Tackpad last ended, changes to these notes could be saved nowhere and were lost: " + notes + ".";
  ShowStoreStatus();
}

void ShowStoreStatus() {
  if (!TrayIconSetTip(TrayIcon, tip.c_str())) return;  // no icon yet: shown once it is added
  if (balloonText.empty()) return;
  if (TrayIconBalloon(TrayIcon, balloonTitle.c_str(), balloonText.c_str(), NIIF_WARNING)) balloonText.clear();
}
