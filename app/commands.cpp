#include "commands.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "autosave.h"
#include "dialogs.h"
#include "events.h"
#include "fonts.h"
#include "gadgets.h"
#include "input_requester.h"
#include "loading.h"
#include "live_notes.h"
#include "menus.h"
#include "note.h"
#include "note_bin.h"
#include "note_rules.h"
#include "note_text.h"
#include "persistence.h"
#include "store_cycle.h"
#include "store_status.h"
#include "window_layer.h"

namespace {

// A check-marked state of the note's menu turned over; returns the new state.
std::int32_t ToggleItem(ObjectNumber note, std::int32_t item) {
  std::int32_t on = IsItemChecked(note, item) ? 0 : 1;
  SetItemChecked(note, item, on);
  return on;
}

void RollUp(ObjectNumber note) {
  bool rolled = IsItemChecked(note, RollUpItem);
  PlaceWindow(note, IgnoreValue, IgnoreValue, IgnoreValue,
              rolled ? WindowInnerWidth(note) : NoteScaled(note, RolledUpHeight));
  StoreRollup(note, ToggleItem(note, RollUpItem));
}

void MakeTransparent(ObjectNumber note) {
  SetWindowOpacity(note, IsItemChecked(note, TransparentItem) ? 255 : TranslucentAlpha);
  StoreAlpha(note, ToggleItem(note, TransparentItem));
}

void PutOnTop(ObjectNumber note) {
  SetWindowTopmost(note, IsItemChecked(note, OnTopItem) ? 0 : 1);
  StoreOnTop(note, ToggleItem(note, OnTopItem));
}

void ChooseBackground(ObjectNumber note) {
  std::int32_t colour = RequestColour(-1);
  if (colour < 0) return;
  SetWindowBackground(note, colour);
  ApplyGadgetColour(TitleStripOf(note), BackColour, colour);
  ApplyGadgetColour(EditAreaOf(note), BackColour, colour);
  StoreBkgColor(note, colour);
}

void ChooseTextColour(ObjectNumber note) {
  std::int32_t colour = RequestColour(-1);
  if (colour < 0) return;
  ApplyGadgetColour(TitleStripOf(note), FrontColour, colour);
  ApplyGadgetColour(EditAreaOf(note), FrontColour, colour);
  StoreFrontColor(note, colour);
}

// The chosen font replaces the note's own font (number n), so no other note loses its font.
void ChooseTextFont(ObjectNumber note) {
  if (!RequestFont("", 0, CF_EFFECTS, -1)) return;
  std::int32_t style = FontChoiceStyle();
  std::string face = FontChoiceName();
  std::int32_t size = FontChoiceSize();
  ApplyGadgetFont(EditAreaOf(note), MakeFont(note, face.c_str(), size, style, WindowScale(note)));
  StoreFont(note, face.c_str(), size, style);
}

void Resize(ObjectNumber note, std::int32_t size, void (*store)(ObjectNumber)) {
  SetWindowHidden(note, 1);
  SetNoteSize(note, size);
  SetWindowHidden(note, 0);
  store(note);
}

void SendToEditArea(ObjectNumber note, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND edit = GadgetHandle(EditAreaOf(note));
  if (edit) SendMessageA(edit, message, wParam, lParam);
}

// The group goes first: the bin must hold it before the note is gone.
void DeleteNote(ObjectNumber note) {
  if (DeleteNoteGroup(note)) CloseNote(note);
}

// Every window first, then the file once: one rewrite however many notes there are.
void SetAllHidden(std::int32_t hidden) {
  for (ObjectNumber note : LiveNotes()) {
    SetWindowHidden(note, hidden);
    TellLiveNoteChanged(static_cast<std::int32_t>(note));
  }
  StoreHiddenForAll(hidden);
}

void RunNoteCommand(std::int32_t item, ObjectNumber note) {
  switch (item) {
    case HideNoteItem:
      SetWindowHidden(note, 1);
      TellLiveNoteChanged(static_cast<std::int32_t>(note));
      StoreHidden(note, 1);
      break;
    case RollUpItem: RollUp(note); break;
    case BackgroundColorItem: ChooseBackground(note); break;
    case TextColorItem: ChooseTextColour(note); break;
    case TextFontItem: ChooseTextFont(note); break;
    case SaveNoteItem: StoreTitleAndText(note); break;
    case SmallItem: Resize(note, SmallSize, StoreSizeSmall); break;
    case NormalItem: Resize(note, NormalSize, StoreSizeNormal); break;
    case LargeItem: Resize(note, LargeSize, StoreSizeLarge); break;
    case CutItem: SendToEditArea(note, WM_CUT, 0, 0); break;
    case CopyItem: SendToEditArea(note, WM_COPY, 0, 0); break;
    case PasteItem: SendToEditArea(note, WM_PASTE, 0, 0); break;
    case SelectAllItem: SendToEditArea(note, EM_SETSEL, 0, -1); break;
    case TransparentItem: MakeTransparent(note); break;
    case OnTopItem: PutOnTop(note); break;
    case DeleteNoteItem: DeleteNote(note); break;
    case MoveNoteItem: MoveNoteByHand(note, WM_SYSCOMMAND, SC_MOVE); break;
    default: break;
  }
}

}  // namespace

FileFailure FreeTitleFrom(const std::string& wanted, std::string& free) {
  std::vector<std::string> taken;
  const FileFailure unknown = StoredGroupNames(taken);
  std::vector<std::string> live = LiveNoteTitles();
  taken.insert(taken.end(), live.begin(), live.end());
  free = FreeNoteTitle(wanted, taken);
  return unknown;
}

namespace {

void TellNotRestored(const std::string& title, const std::string& why) {
  const std::string note = title.empty() ? "this note" : "the note \"" + title + "\"";
  const std::string text = "Tackpad could not restore " + note + ": " + why + ".\n\nIt stays in \"" + BinFile + "\".";
  ShowMessage("Tackpad", text.c_str(), MB_ICONWARNING);
}

// The group as the bin holds it, under `title`, shown: the keys of the note it held, "Hidden" 0.
bool StoreRestoredGroup(const BinNote& kept, const std::string& title) {
  BeginStore();
  CycleSelectGroup(title);
  const bool retitled = title != kept.title;
  for (int key = 0; key < NoteKeyCount; ++key) {  // in the group's own order
    if (key == HiddenKey) CycleWriteKey(HiddenKey, 0);
    else if (key == TitleKey && retitled) CycleWriteKey(TitleKey, title);
    else if (kept.present[key]) CycleWriteKey(NoteKey(key), kept.values[key]);
  }
  return EndStore();
}

// Puts the entry's group into the notes file under `title`; else why not.
std::string RestoreRefusal(const BinEntry& entry, BinNote& kept, std::string& title) {
  if (!ReadBinNote(entry, kept)) return "there was not enough memory to read it";
  if (kept.title.empty()) return "its entry names no note";
  // Restored while the file refuses, the note would wait in memory and stay in the bin as well.
  if (StoresHeld() || WritesWaiting()) return FailureReason(StoreFailure(), SettingsFile);
  const FileFailure unknown = FreeTitleFrom(kept.title, title);
  if (unknown != FileFailure::None) return FailureReason(unknown, SettingsFile);
  return StoreRestoredGroup(kept, title) ? std::string() : FailureReason(StoreFailure(), SettingsFile);
}

}  // namespace

void AskForNewNote() {
  std::string answer = RequestText("Title", "Please insert your title note:", "");
  std::string title = CleanNoteTitle(answer.c_str());
  if (title.empty()) return;
  // While the notes wait to load, their load gives a note made meanwhile a free title.
  std::string free;
  const FileFailure unknown = FreeTitleFrom(title, free);
  if (unknown != FileFailure::None && !StoresHeld()) return TellNoteNotMade(unknown);
  const Note note = NewNoteValues(free);
  CreateNote(note);
  StoreNewNote(note);
}

void OpenNote(ObjectNumber note) {
  if (!IsLiveNote(note)) return;
  if (!IsWindowVisible(WindowHandle(note))) {
    SetWindowHidden(note, 0);
    TellLiveNoteChanged(static_cast<std::int32_t>(note));
    StoreHidden(note, 0);
  }
  SetForegroundWindow(WindowHandle(note));
  SetFocus(GadgetHandle(EditAreaOf(note)));
}

ObjectNumber RestoreFromBin(const BinEntry& entry) {
  BinNote kept;
  std::string title;
  const std::string refusal = RestoreRefusal(entry, kept, title);
  if (!refusal.empty()) {
    TellNotRestored(kept.title, refusal);
    return 0;
  }
  // Only now that the notes file holds it may the bin let it go: a crash between leaves it in both.
  const ObjectNumber note = LoadNoteGroup(title);
  if (note) OpenNote(note);
  // Lines no note holds (another program's keys, comments) would be in neither file.
  // A sync tool's copy is never changed.
  if (!entry.copy.empty()) return note;
  const FileFailure binFailure = kept.onlyNoteKeys ? TakeOutOfBin(BinFile, entry) : FileFailure::None;
  if (binFailure != FileFailure::None || !kept.onlyNoteKeys) {
    const std::string why = kept.onlyNoteKeys ? "Tackpad could not take it out of \"" + std::string(BinFile) +
                                                    "\": " + FailureReason(binFailure, BinFile)
                                              : "its entry in \"" + std::string(BinFile) + "\" holds lines no note keeps";
    const std::string text = "The note \"" + title + "\" is back, but " + why + ".\n\nThe bin still holds it.";
    ShowMessage("Tackpad", text.c_str(), MB_ICONINFORMATION);
  }
  return note;
}

void MoveNoteByHand(ObjectNumber note, UINT message, WPARAM how) {
  SendMessageA(WindowHandle(note), message, how, 0);
  if (WindowMovedSinceMark(note)) StoreChangedNotes();
}

void ChangeTextSize(ObjectNumber note, std::int32_t steps) {
  const std::int32_t from = FontPointSize(note);
  if (from == -1) return;
  std::int32_t to = steps == DefaultTextSize ? NewNoteTextSize : from;
  for (std::int32_t step = 0; step < (steps < 0 ? -steps : steps); ++step) to = SteppedTextSize(to, steps > 0);
  HFONT font = to == from ? nullptr : ResizeFont(note, to, WindowScale(note));
  if (!font) return;
  ApplyGadgetFont(EditAreaOf(note), font);
  if (LiveNote* record = FindLiveNote(note)) record->textSizeStepped = true;
  StoreAtNextPause();
}

void ShowNoteMenuAtNote(ObjectNumber note) {
  RECT frame;
  if (!GetWindowRect(WindowHandle(note), &frame)) return;
  ShowMenuAt(note, WindowHandle(note), frame.left + NoteScaled(note, TitleStripHeight),
             frame.top + NoteScaled(note, EditAreaTop));
}

void BringNotesForward() {
  const auto notes = LiveNotes();
  // A file whose notes all show already is not rewritten, nor refused, by a start.
  if (std::any_of(notes.begin(), notes.end(), [](auto n) { return !IsWindowVisible(WindowHandle(n)); })) {
    SetAllHidden(0);
  }
  // Raised without activating each: where Windows refuses this program the foreground (the start
  // that asked lost its right while it waited), the notes still come up over other windows; notes
  // have no taskbar button, so nothing flashes instead.
  HWND last = nullptr;
  for (ObjectNumber note : notes) {
    HWND window = WindowHandle(note);
    if (!IsWindowVisible(window)) continue;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    last = window;
  }
  if (last) SetForegroundWindow(last);
}

bool RunMenuCommand(std::int32_t item, ObjectNumber window) {
  switch (item) {
    case NewNoteItem: AskForNewNote(); break;
    case ShowAllItem: SetAllHidden(0); break;
    case HideAllItem: SetAllHidden(1); break;
    case AboutItem: ShowMessage("Tackpad", AboutText().c_str(), MB_ICONINFORMATION); break;
    case ExitItem: return false;
    default:
      // A note's items come only with its window; without one, the command could only write
      // its keys into no note's group.
      if (item >= HideNoteItem && item <= MoveNoteItem && IsLiveNote(window)) RunNoteCommand(item, window);
      break;
  }
  return true;
}
