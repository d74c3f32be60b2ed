#include "note.h"

#include <richedit.h>

#include <algorithm>

#include "display_scale.h"
#include "fonts.h"
#include "gadgets.h"
#include "menus.h"
#include "note_rules.h"
#include "random.h"
#include "text.h"
#include "window_layer.h"

namespace {

// The strip and the edit area across the window's width at the note's scale; the edit area
// reaches the bottom of the square, rolled up or not.
void PlaceNoteParts(ObjectNumber note) {
  const int width = WindowInnerWidth(note);
  const int editTop = NoteScaled(note, EditAreaTop);
  PlaceGadget(TitleStripOf(note), 0, NoteScaled(note, TitleStripTop), width, NoteScaled(note, TitleStripHeight));
  PlaceGadget(EditAreaOf(note), 0, editTop, width, width > editTop ? width - editTop : 0);
}

// Both are placed by SetNoteSize, once the note's scale is known.
void BuildTitleStrip(const Note& note, ObjectNumber number) {
  ObjectNumber strip = TitleStripOf(number);
  NewTextGadget(strip, 0, 0, 0, 0, note.title.c_str(), SS_CENTER | SS_NOPREFIX);
  ApplyGadgetColour(strip, FrontColour, note.frontColor);
  ApplyGadgetColour(strip, BackColour, note.bkgColor);
  ApplyGadgetFont(strip, MakeFont(TitleFontOf(number), "Tahoma", 9, FontStyleBold, WindowScale(number)));
}

void BuildEditArea(const Note& note, ObjectNumber number) {
  ObjectNumber edit = EditAreaOf(number);
  NewEditorGadget(edit, 0, 0, 0, 0);
  ApplyGadgetFont(edit, MakePlainFont(number, note.font.c_str(), note.fontSize, WindowScale(number)));
  ApplyGadgetColour(edit, FrontColour, note.frontColor);
  ApplyGadgetColour(edit, BackColour, note.bkgColor);
  HWND control = GadgetHandle(edit);
  if (control) {
    // No border, and lines wrap at the control's own width. It stays after the title strip, whose
    // text accessibility tools take for its name.
    SetWindowLongA(control, GWL_EXSTYLE, GetWindowLongA(control, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
    SetWindowPos(control, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    SendMessageA(control, EM_SETTARGETDEVICE, 0, 0);
  }
  PutGadgetText(edit, note.text.c_str());
  MarkNoteTextStored(number);
}

void BuildNoteMenu(ObjectNumber number) {
  NewPopupMenu(number);
  AddMenuItem(HideNoteItem, "Hide note");
  AddMenuItem(RollUpItem, "Roll up");
  AddMenuItem(MoveNoteItem, "Move");
  AddMenuSeparator();
  BeginSubmenu("Edit note");
  AddMenuItem(BackgroundColorItem, "Background Color ");
  AddMenuItem(TextColorItem, "Text Color");
  AddMenuItem(TextFontItem, "Text Font");
  AddMenuSeparator();
  BeginSubmenu("Size");
  AddMenuItem(SmallItem, "Small");
  AddMenuItem(NormalItem, "Normal");
  AddMenuItem(LargeItem, "Large");
  EndSubmenu();
  EndSubmenu();
  AddMenuSeparator();
  AddMenuItem(SaveNoteItem, "Save note");
  AddMenuSeparator();
  AddMenuItem(CutItem, "Cut");
  AddMenuItem(CopyItem, "Copy");
  AddMenuItem(PasteItem, "Paste");
  AddMenuSeparator();
  AddMenuItem(SelectAllItem, "Select All");
  AddMenuSeparator();
  AddMenuItem(TransparentItem, "Transparent");
  AddMenuItem(OnTopItem, "On Top");
  AddMenuSeparator();
  AddMenuItem(DeleteNoteItem, "Delete note");
}

}  // namespace

// Made where it is stored and sized once the window knows its monitor's scale; shown only then.
// Its title names it to screen readers and in Alt+Tab.
LiveNote* BuildNoteWindow(const Note& note, ObjectNumber number, bool showAtOnce) {
  if (!NewWindow(number, PhysicalCoordinate(note.xPos), PhysicalCoordinate(note.yPos), 0, 0, note.title.c_str(),
                 WS_POPUP | WindowInvisible, WindowHandle(OwnerWindow))) {
    return nullptr;
  }
  LiveNote& record = AddLiveNote(number, note.title);
  SetWindowBackground(number, note.bkgColor);
  if (!SetGadgetHost(WindowHandle(number))) return &record;
  BuildTitleStrip(note, number);
  BuildEditArea(note, number);
  SetNoteSize(number, note.size);
  BuildNoteMenu(number);
  if (note.onTop == 1) SetItemChecked(number, OnTopItem, 1);
  if (showAtOnce) SetWindowHidden(number, 0);
  return &record;
}

int NoteScaled(ObjectNumber note, int length) { return ScaledTo(length, WindowScale(note)); }

std::int32_t NoteSize(ObjectNumber note) { return UnscaledFrom(WindowInnerWidth(note), WindowScale(note)); }

void SetNoteSize(ObjectNumber note, std::int32_t size) {
  const int edge = NoteScaled(note, size);
  PlaceWindow(note, IgnoreValue, IgnoreValue, edge, edge);
  PlaceNoteParts(note);
}

void RescaleNote(ObjectNumber note) {
  if (!IsLiveNote(note)) return;
  const UINT dpi = WindowScale(note);
  if (HFONT title = RescaleFont(TitleFontOf(note), dpi)) ApplyGadgetFont(TitleStripOf(note), title);
  if (HFONT text = RescaleFont(note, dpi)) ApplyGadgetFont(EditAreaOf(note), text);
  PlaceNoteParts(note);
}

Note NewNoteValues(const std::string& title) {
  Note note;
  note.xPos = RandomUpTo(800);
  note.yPos = RandomUpTo(600);
  note.size = NormalSize;
  note.title = title;
  note.text = "Welcome to Tackpad!";
  note.font = "Comic Sans MS";
  note.fontSize = NewNoteTextSize;
  note.fontStyle = FontStyleBold | FontStyleItalic;
  note.frontColor = 0;
  note.bkgColor = 0x7DEDF0;
  note.hidden = 0;
  note.onTop = 1;
  note.alpha = 0;
  note.rollup = 0;
  return note;
}

ObjectNumber CreateNote(const Note& note) {
  const ObjectNumber number = TakeNoteNumber();
  LiveNote* record = BuildNoteWindow(note, number, true);
  if (record) record->changed = TextChange | PlaceChange | SizeChange | StatesChange | FontChange;  // until the file takes it
  SetWindowTopmost(number, 1);
  return number;
}

namespace {

bool GadgetText(ObjectNumber gadget, std::string& text) {
  std::size_t mark = ScratchMark();
  const char* fetched = FetchGadgetText(gadget);
  if (fetched) text = fetched;
  ScratchRewind(mark);
  return fetched != nullptr;
}

HWND EditControl(ObjectNumber note) { return GadgetHandle(EditAreaOf(note)); }

struct StripSearch {
  RECT strip;
  int grip;
  bool found;
};

// Whether some part of the strip, enough to take hold of, lies on a monitor's work area.
BOOL CALLBACK FindStripOnMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM searchAddress) {
  auto* search = reinterpret_cast<StripSearch*>(searchAddress);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT common;
  if (!GetMonitorInfoA(monitor, &info) || !IntersectRect(&common, &search->strip, &info.rcWork)) return TRUE;
  if (common.right - common.left < search->grip || common.bottom - common.top < search->grip / 2) return TRUE;
  search->found = true;
  return FALSE;
}

bool StripReachable(ObjectNumber note, const RECT& frame) {
  const int top = frame.top + NoteScaled(note, TitleStripTop);
  StripSearch search{{frame.left, top, frame.right, top + NoteScaled(note, TitleStripHeight)},
                     NoteScaled(note, ReachableGrip), false};
  EnumDisplayMonitors(nullptr, nullptr, FindStripOnMonitor, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::string NoteTitle(ObjectNumber note) {
  const LiveNote* record = FindLiveNote(note);
  return record ? record->title : std::string();
}

void RetitleNote(ObjectNumber note, const std::string& title) {
  RenameLiveNote(note, title);
  PutGadgetText(TitleStripOf(note), title.c_str());
  SetWindowTextA(WindowHandle(note), title.c_str());
}

bool NoteText(ObjectNumber note, std::string& text) {
  return EditControl(note) && GadgetText(EditAreaOf(note), text);
}

bool NoteTextChanged(ObjectNumber note) { return SendMessageA(EditControl(note), EM_GETMODIFY, 0, 0) != 0; }

void MarkNoteTextStored(ObjectNumber note) { SendMessageA(EditControl(note), EM_SETMODIFY, FALSE, 0); }

void BringNoteIntoReach(ObjectNumber note) {
  HWND window = WindowHandle(note);
  RECT frame;
  if (!window || !GetWindowRect(window, &frame) || StripReachable(note, frame)) return;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(MonitorFromRect(&frame, MONITOR_DEFAULTTONEAREST), &info)) return;
  const RECT& work = info.rcWork;
  // Its top left corner as far in as the whole note fits, and never above or left of the area.
  int x = std::max<int>(work.left, std::min<int>(frame.left, work.right - (frame.right - frame.left)));
  int y = std::max<int>(work.top, std::min<int>(frame.top, work.bottom - (frame.bottom - frame.top)));
  PlaceWindow(note, x, y, IgnoreValue, IgnoreValue);  // no move of the person's: not stored
}

// The note's menu and fonts outlive its window; its number is never handed out again, so they go too.
void CloseNote(ObjectNumber note) {
  RemoveLiveNote(note);
  RemoveWindow(note);
  DiscardMenu(note);
  DiscardFont(note);
  DiscardFont(TitleFontOf(note));
}

bool IsLiveNote(ObjectNumber number) { return FindLiveNote(number) && WindowHandle(number); }
