#include "store_status.h"

#include <windows.h>

#include "note_rules.h"
#include "tray.h"

namespace {

FileFailure toldCause = FileFailure::None;  // of the failures since the last success
std::string tip = "Tackpad", balloonTitle, balloonText;

}  // namespace

const char* FailureReason(FileFailure why) {
  switch (why) {
    case FileFailure::ReadOnly: return "Settings.ini is read-only";
    case FileFailure::HeldByAnother: return "another program has Settings.ini open";
    case FileFailure::FolderNotWritable: return "its folder cannot be written to";
    case FileFailure::DiskFull: return "the disk is full";
    case FileFailure::NoMemory: return "there is not enough memory";
    case FileFailure::Unread: return "Settings.ini changed while it was read";
    default: return "Windows refused to write Settings.ini";
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
    tip = std::string("Tackpad: changes not saved, ") + FailureReason(why);
    balloonTitle = "Tackpad cannot save your notes";
    balloonText = std::string("Changes cannot be saved: ") + FailureReason(why) +
                  ". They are kept and saved as soon as possible.";
  }
  ShowStoreStatus();
}

void TellRecoveryFile(const std::string& path) {
  tip = "Tackpad: unsaved notes were kept in " + path;
  balloonTitle = "Tackpad kept unsaved notes";
  balloonText = "Unsaved notes were kept in " + path;
  ShowStoreStatus();
}

void ShowStoreStatus() {
  if (!TrayIconSetTip(TrayIcon, tip.c_str())) return;  // no icon yet: shown once it is added
  if (balloonText.empty()) return;
  if (TrayIconBalloon(TrayIcon, balloonTitle.c_str(), balloonText.c_str(), NIIF_WARNING)) balloonText.clear();
}
