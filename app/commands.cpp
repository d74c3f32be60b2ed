#include "commands.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs.h"
#include "fonts.h"
#include "gadgets.h"
#include "input_requester.h"
#include "menus.h"
#include "note.h"
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
  SetNoteAlpha(note, IsItemChecked(note, TransparentItem) ? 255 : TranslucentAlpha);
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

// The group goes first: the bin must hold it before the note is gone. The note's menu and fonts
// outlive its window; its number is never handed out again, so they go too.
void DeleteNote(ObjectNumber note) {
  if (!DeleteNoteGroup(note)) return;
  RemoveLiveNote(note);
  RemoveWindow(note);
  DiscardMenu(note);
  DiscardFont(note);
  DiscardFont(TitleFontOf(note));
}

// Every window first, then the file once: one rewrite however many notes there are.
void SetAllHidden(std::int32_t hidden) {
  for (ObjectNumber note : LiveNotes()) SetWindowHidden(note, hidden);
  StoreHiddenForAll(hidden);
}

void RunNoteCommand(std::int32_t item, ObjectNumber note) {
  switch (item) {
    case HideNoteItem:
      SetWindowHidden(note, 1);
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
    default: break;
  }
}

}  // namespace

void AskForNewNote() {
  std::string answer = RequestText("Title", "Please insert your title note:", "");
  std::string title = CleanNoteTitle(answer.c_str());
  if (title.empty()) return;
  // A title already in use would make two notes share one group: without every name, no note;
  // but while the notes wait to load, their load gives a note made meanwhile a free title.
  std::vector<std::string> taken;
  const FileFailure unknown = StoredGroupNames(taken);
  if (unknown != FileFailure::None && !StoresHeld()) return TellNoteNotMade(unknown);
  std::vector<std::string> live = LiveNoteTitles();
  taken.insert(taken.end(), live.begin(), live.end());
  const Note note = NewNoteValues(FreeNoteTitle(title, taken));
  CreateNote(note);
  StoreNewNote(note);
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
      if (item >= HideNoteItem && item <= DeleteNoteItem && IsLiveNote(window)) RunNoteCommand(item, window);
      break;
  }
  return true;
}
