#include "all_notes.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "commands.h"
#include "display_scale.h"
#include "events.h"
#include "gadgets.h"
#include "live_notes.h"
#include "note.h"
#include "note_bin.h"
#include "note_rules.h"
#include "note_search.h"
#include "note_text.h"
#include "persistence.h"
#include "system_library.h"
#include "wide_text.h"
#include "window_layer.h"

namespace {

enum : int {
  SearchLabel = AllNotesWindow + 1, SearchField, NotesLabel, NotesList, BinLabel, BinList, RestoreButton, BackupsButton
};
static_assert(BackupsButton <= ReservedLast, "the window's controls take reserved numbers");
// Posted to the window itself. A posted WM_CLOSE would reach the main loop as a close request.
constexpr UINT CloseMessage = WM_APP + 2;
// Changes are read again at most ten times a second: typing in a long note refolds its text.
constexpr UINT_PTR RefreshTimer = 1;
constexpr UINT RefreshDelayMs = 100;
constexpr std::size_t LineRoom = 200;  // of a first line shown; a list shows no more

struct NoteRow {
  std::int32_t note;
  std::wstring title, line, foldedTitle, foldedText;
  bool hidden;
};

struct BinRow {
  BinEntry entry;
  std::wstring title, stamp, line;
};

struct AllNotes {
  HWND window, field, notes, bin, restore;
  HFONT font;
  std::vector<NoteRow> rows;   // in note order
  std::vector<std::size_t> shown;  // the rows the search keeps
  std::vector<BinRow> binRows;  // newest first
  std::set<std::int32_t> changed;  // notes to read again
  bool binChanged, refreshDue;
};

struct Request {
  enum Kind { Open, Delete, Restore, Backups } kind;
  std::int32_t note;
  BinEntry entry;
};

AllNotes view;
std::vector<Request> requests;  // outlive a close: what was asked still runs
WINDOWPLACEMENT keptPlace;  // for the session; length 0 before the first close

int Scaled(int length) { return ScaledTo(length, WindowDpi(view.window)); }

// The system's message font at the window's scale: larger text set by the person comes with it.
HFONT MessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  auto forDpi = LookupCall<ForDpi>(GetModuleHandleA("user32.dll"), "SystemParametersInfoForDpi");
  if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  }
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

HWND MakeControl(int id, const wchar_t* type, const wchar_t* text, DWORD style) {
  HWND control = CreateWindowExW(0, type, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, view.window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(view.font), FALSE);
  return control;
}

HWND MakeList(int id, std::initializer_list<const wchar_t*> columns) {
  HWND list = MakeControl(id, WC_LISTVIEWW, L"",
                          WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  int at = 0;
  for (const wchar_t* name : columns) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(name);
    SendMessageW(list, LVM_INSERTCOLUMNW, at++, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

void SetColumnWidths(HWND list, int width, std::initializer_list<int> percents) {
  int at = 0;
  for (int percent : percents) SendMessageW(list, LVM_SETCOLUMNWIDTH, at++, MulDiv(width, percent, 100));
}

void Place(int id, int x, int y, int width, int height) {
  MoveWindow(GetDlgItem(view.window, id), x, y, std::max(width, 0), std::max(height, 0), TRUE);
}

// Designed at 96 dpi: the search above the notes, the bin below them, the buttons at the foot.
void LayOut() {
  RECT client;
  GetClientRect(view.window, &client);
  const int margin = Scaled(8), label = Scaled(16), field = Scaled(22), button = Scaled(24), gap = Scaled(6);
  const int width = client.right - 2 * margin;
  int y = margin;
  Place(SearchLabel, margin, y, width, label);
  Place(SearchField, margin, y += label, width, field);
  y += field + gap;
  const int lists = client.bottom - y - 2 * label - gap - button - 2 * margin;
  const int notesHeight = lists * 3 / 5;
  Place(NotesLabel, margin, y, width, label);
  Place(NotesList, margin, y += label, width, notesHeight);
  y += notesHeight + gap;
  Place(BinLabel, margin, y, width, label);
  Place(BinList, margin, y += label, width, lists - notesHeight);
  const int foot = client.bottom - margin - button;
  Place(RestoreButton, margin, foot, Scaled(96), button);
  Place(BackupsButton, margin + Scaled(104), foot, Scaled(160), button);
  const int inner = width - GetSystemMetrics(SM_CXVSCROLL) - Scaled(4);
  SetColumnWidths(view.notes, inner, {35, 50, 15});
  SetColumnWidths(view.bin, inner, {30, 30, 40});
}

NoteRow RowOf(std::int32_t note) {
  std::string text;
  NoteText(note, text);
  const std::wstring title = Widened(NoteTitle(note).c_str()), wide = Widened(text.c_str());
  return {note, title, FirstLineOf(wide, LineRoom), FoldedForSearch(title), FoldedForSearch(wide),
          !IsWindowVisible(WindowHandle(note))};
}

std::int32_t Selected(HWND list) {
  return static_cast<std::int32_t>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Select(HWND list, std::int32_t item) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (item < 0) return;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
}

std::int32_t SelectedNote() {
  const std::int32_t item = Selected(view.notes);
  return item >= 0 && static_cast<std::size_t>(item) < view.shown.size() ? view.rows[view.shown[item]].note : 0;
}

std::wstring FieldText() {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(view.field)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(view.field, &text[0], static_cast<int>(text.size()))));
  return text;
}

// The rows the search keeps, the selected note kept selected where it still shows.
void Filter() {
  const std::int32_t selected = SelectedNote();
  const std::wstring term = SearchTerm(FieldText(), FoldedForSearch);
  view.shown.clear();
  for (std::size_t row = 0; row < view.rows.size(); ++row) {
    if (NoteHoldsTerm(term, view.rows[row].foldedTitle, view.rows[row].foldedText)) view.shown.push_back(row);
  }
  SendMessageW(view.notes, LVM_SETITEMCOUNT, view.shown.size(), 0);
  auto at = std::find_if(view.shown.begin(), view.shown.end(), [&](std::size_t row) { return view.rows[row].note == selected; });
  Select(view.notes, at == view.shown.end() ? -1 : static_cast<std::int32_t>(at - view.shown.begin()));
  InvalidateRect(view.notes, nullptr, FALSE);
}

BinRow RowOf(BinEntry entry) {
  BinNote note;
  const bool read = ReadBinNote(entry, note);
  std::wstring title = read && !note.title.empty() ? Widened(note.title.c_str()) : L"(no title: cannot be restored)";
  std::wstring stamp = entry.stamp.empty() ? L"(unknown)" : Widened(entry.stamp.c_str());
  std::wstring line = FirstLineOf(Widened(note.values[TextKey].c_str()), LineRoom);
  return {std::move(entry), std::move(title), std::move(stamp), std::move(line)};
}

// A live note of the title whose text the file holds as the copy does.
bool LiveAsInCopy(const BinEntry& entry) {
  BinNote note;
  if (!ReadBinNote(entry, note)) return false;
  for (std::int32_t number : LiveNotes()) {
    const LiveNote& live = *FindLiveNote(number);
    if (SameName(live.title, note.title) && Trimmed(live.stored[TextKey]) == note.values[TextKey]) return true;
  }
  return false;
}

// After the bin: the notes of a sync tool's copies that differ from the live ones.
void ReadCopyRows() {
  for (const std::string& copy : ConflictCopies(".")) {
    std::string file;
    if (ReadBin(copy.c_str(), file) != FileFailure::None) continue;
    for (BinEntry& entry : CopyEntries(file, copy)) {
      if (!LiveAsInCopy(entry)) view.binRows.push_back(RowOf(std::move(entry)));
    }
  }
}

void ReadBinRows() {
  view.binRows.clear();
  std::string bin;
  if (ReadBin(BinFile, bin) == FileFailure::None) {
    for (BinEntry& entry : BinEntries(bin)) view.binRows.push_back(RowOf(std::move(entry)));
  }
  // Newest first: by the time each was deleted, the later in the file first where times tie.
  std::reverse(view.binRows.begin(), view.binRows.end());
  std::stable_sort(view.binRows.begin(), view.binRows.end(),
                   [](const BinRow& a, const BinRow& b) { return a.entry.stamp > b.entry.stamp; });
  ReadCopyRows();
  SendMessageW(view.bin, LVM_SETITEMCOUNT, view.binRows.size(), 0);
  Select(view.bin, view.binRows.empty() ? -1 : 0);
  InvalidateRect(view.bin, nullptr, FALSE);
}

// What the live notes told since the last refresh, read again.
void Refresh() {
  KillTimer(view.window, RefreshTimer);
  view.refreshDue = false;
  for (std::int32_t note : view.changed) {
    auto row = std::find_if(view.rows.begin(), view.rows.end(), [&](const NoteRow& r) { return r.note == note; });
    if (row != view.rows.end()) view.rows.erase(row);
    if (!IsLiveNote(note)) continue;
    NoteRow made = RowOf(note);
    auto before = std::find_if(view.rows.begin(), view.rows.end(), [&](const NoteRow& r) { return r.note > note; });
    view.rows.insert(before, std::move(made));
  }
  view.changed.clear();
  Filter();
  if (view.binChanged) ReadBinRows();
  view.binChanged = false;
}

void WatchLiveNote(std::int32_t note) {
  if (!view.window) return;
  view.changed.insert(note);
  view.binChanged = view.binChanged || !IsLiveNote(note);  // a deleted note went into the bin
  if (!view.refreshDue) view.refreshDue = SetTimer(view.window, RefreshTimer, RefreshDelayMs, nullptr) != 0;
}

void Ask(Request request) {
  requests.push_back(std::move(request));
  QueueEvent(RequestEvent, view.window);
}

void AskToOpenRow(std::int32_t item) {
  if (item < 0 || static_cast<std::size_t>(item) >= view.shown.size()) return;
  Ask({Request::Open, view.rows[view.shown[item]].note, {}});
}

void AskToRestoreSelected() {
  const std::int32_t item = Selected(view.bin);
  if (item < 0 || static_cast<std::size_t>(item) >= view.binRows.size()) return;
  Ask({Request::Restore, 0, view.binRows[item].entry});
}

void OpenBackups() {
  std::string folder = SettingsFilePath();
  folder = folder.substr(0, folder.find_last_of('\\') + 1) + "Backups";
  if (MakeFolder(folder.c_str()) == FileFailure::None) {
    ShellExecuteW(view.window, L"open", Widened(folder.c_str()).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

void MoveSelection(int by) {
  const auto count = static_cast<std::int32_t>(view.shown.size());
  if (count == 0) return;
  const std::int32_t at = Selected(view.notes);
  Select(view.notes, at < 0 ? (by > 0 ? 0 : count - 1) : std::clamp(at + by, 0, count - 1));
}

// The keys a dialog box would give its controls; the window has none of a dialog's own handling.
LRESULT CALLBACK ControlKeys(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (message == WM_CHAR && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return 0;  // no beep
  if (message != WM_KEYDOWN) return DefSubclassProc(control, message, wParam, lParam);
  if (wParam == VK_ESCAPE) return PostMessageW(view.window, CloseMessage, 0, 0), 0;
  if (id == SearchField && (wParam == VK_UP || wParam == VK_DOWN)) return MoveSelection(wParam == VK_UP ? -1 : 1), 0;
  if (wParam == VK_RETURN) {
    if (id == SearchField) AskToOpenRow(std::max(Selected(view.notes), 0));
    else if (id == NotesList) AskToOpenRow(Selected(view.notes));
    else if (id == BinList || id == RestoreButton) AskToRestoreSelected();
    else if (id == BackupsButton) Ask({Request::Backups, 0, {}});
    return 0;
  }
  if (wParam == VK_DELETE && id == NotesList) {
    if (const std::int32_t note = SelectedNote()) Ask({Request::Delete, note, {}});
    return 0;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

LRESULT ListNotice(const NMHDR& notice, LPARAM lParam) {
  if (notice.code == LVN_GETDISPINFOW) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
    if (!(item.mask & LVIF_TEXT) || item.iItem < 0) return 0;
    const std::wstring* text = nullptr;
    if (notice.idFrom == NotesList && static_cast<std::size_t>(item.iItem) < view.shown.size()) {
      const NoteRow& row = view.rows[view.shown[item.iItem]];
      static const std::wstring hidden = L"Hidden", shown = L"Shown";
      text = item.iSubItem == 0 ? &row.title : item.iSubItem == 1 ? &row.line : row.hidden ? &hidden : &shown;
    } else if (notice.idFrom == BinList && static_cast<std::size_t>(item.iItem) < view.binRows.size()) {
      const BinRow& row = view.binRows[item.iItem];
      text = item.iSubItem == 0 ? &row.stamp : item.iSubItem == 1 ? &row.title : &row.line;
    }
    if (text) item.pszText = const_cast<wchar_t*>(text->c_str());
  } else if (notice.code == NM_DBLCLK) {
    const int item = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
    if (notice.idFrom == NotesList) AskToOpenRow(item);
    else if (notice.idFrom == BinList && item >= 0) AskToRestoreSelected();
  } else if (notice.code == LVN_ITEMCHANGED && notice.idFrom == BinList) {
    EnableWindow(view.restore, Selected(view.bin) >= 0);
  }
  return 0;
}

// The window gone, by a close or with every window of the layer at the program's end.
void ForgetView() {
  if (!view.window) return;
  SetLiveNotesWatcher(nullptr);
  DeleteObject(view.font);
  view = AllNotes{};
}

// Alt and a label's letter: the control after the label takes the focus, a button is pressed.
bool TakeMnemonic(wchar_t letter) {
  switch (towlower(letter)) {
    case L's': SetFocus(view.field); return true;
    case L'n': SetFocus(view.notes); return true;
    case L'd': SetFocus(view.bin); return true;
    case L'r': AskToRestoreSelected(); return true;
    case L'b': Ask({Request::Backups, 0, {}}); return true;
    default: return false;
  }
}

LRESULT CALLBACK WindowMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_NOTIFYFORMAT: return NFR_UNICODE;
    case WM_NOTIFY: return lParam ? ListNotice(*reinterpret_cast<const NMHDR*>(lParam), lParam) : 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == SearchField && HIWORD(wParam) == EN_CHANGE) Filter();
      if (LOWORD(wParam) == RestoreButton && HIWORD(wParam) == BN_CLICKED) AskToRestoreSelected();
      if (LOWORD(wParam) == BackupsButton && HIWORD(wParam) == BN_CLICKED) Ask({Request::Backups, 0, {}});
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_KEYMENU && lParam > L' ' && TakeMnemonic(static_cast<wchar_t>(lParam))) return 0;
      break;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) LayOut();
      return 0;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {Scaled(360), Scaled(320)};
      return 0;
    case WM_DPICHANGED: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      HFONT font = MessageFont(LOWORD(wParam));
      for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      DeleteObject(view.font);
      view.font = font;
      LayOut();
      return result;
    }
    case WM_TIMER:
      if (wParam == RefreshTimer) Refresh();
      return 0;
    case WM_CLOSE:
    case CloseMessage: CloseAllNotes(); return 0;
    case WM_NCDESTROY: ForgetView(); break;
    default: break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void MakeControls() {
  MakeControl(SearchLabel, WC_STATICW, L"&Search (title or text):", 0);
  view.field = MakeControl(SearchField, WC_EDITW, L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL);
  MakeControl(NotesLabel, WC_STATICW, L"&Notes:", 0);
  view.notes = MakeList(NotesList, {L"Title", L"First line", L"State"});
  MakeControl(BinLabel, WC_STATICW, L"&Deleted notes:", 0);
  view.bin = MakeList(BinList, {L"Deleted", L"Title", L"First line"});
  view.restore = MakeControl(RestoreButton, WC_BUTTONW, L"&Restore", WS_TABSTOP | BS_PUSHBUTTON);
  MakeControl(BackupsButton, WC_BUTTONW, L"Open &Backups folder", WS_TABSTOP | BS_PUSHBUTTON);
  for (int id : {SearchField, NotesList, BinList, RestoreButton, BackupsButton})
    SetWindowSubclass(GetDlgItem(view.window, id), ControlKeys, static_cast<UINT_PTR>(id), 0);
}

// At its designed size on the monitor it opens on, centred there; later where it was last closed.
void PlaceAtOpen() {
  if (keptPlace.length) {
    keptPlace.showCmd = keptPlace.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    SetWindowPlacement(view.window, &keptPlace);
    return;
  }
  const UINT dpi = WindowDpi(view.window);
  RECT frame{0, 0, ScaledTo(560, dpi), ScaledTo(500, dpi)};
  AdjustFrameForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(view.window, GWL_STYLE)),
                    static_cast<DWORD>(GetWindowLongPtrW(view.window, GWL_EXSTYLE)), dpi);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(view.window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  const int width = std::min<int>(frame.right - frame.left, area.right - area.left);
  const int height = std::min<int>(frame.bottom - frame.top, area.bottom - area.top);
  SetWindowPos(view.window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(view.window, SW_SHOWNORMAL);
}

}  // namespace

void OpenAllNotes() {
  if (view.window) {
    if (IsIconic(view.window)) ShowWindow(view.window, SW_RESTORE);
    SetForegroundWindow(view.window);
    return;
  }
  HWND window = NewWindow(AllNotesWindow, IgnoreValue, IgnoreValue, 560, 500, "All Notes",
                          WS_OVERLAPPEDWINDOW | WindowInvisible, nullptr);
  if (!window) return;
  SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_APPWINDOW);
  view.window = window;
  view.font = MessageFont(WindowDpi(window));
  SetWindowSubclass(window, WindowMessages, 0, 0);
  MakeControls();
  for (std::int32_t note : LiveNotes()) view.rows.push_back(RowOf(note));
  SetLiveNotesWatcher(WatchLiveNote);
  Filter();
  ReadBinRows();
  LayOut();
  PlaceAtOpen();
  SetForegroundWindow(window);
  SetFocus(view.field);
}

void CloseAllNotes() {
  if (!view.window) return;
  keptPlace.length = sizeof keptPlace;
  if (!GetWindowPlacement(view.window, &keptPlace)) keptPlace.length = 0;
  RemoveWindow(AllNotesWindow);
  ForgetView();
}

void RunAllNotesRequests() {
  std::vector<Request> asked;
  asked.swap(requests);  // a dialog a request opens may let more be asked meanwhile
  for (const Request& request : asked) {
    if (request.kind == Request::Backups) OpenBackups();
    if (request.kind == Request::Restore) RestoreFromBin(request.entry);
    if (request.kind == Request::Restore && view.window) ReadBinRows();
    if (!IsLiveNote(request.note)) continue;  // deleted since it was asked for
    if (request.kind == Request::Open) OpenNote(request.note);
    if (request.kind == Request::Delete) RunMenuCommand(DeleteNoteItem, request.note);
  }
}
