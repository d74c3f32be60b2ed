// Tackpad: the entry, the tray icon and the main loop.
#include <windows.h>
#include <shellapi.h>

#include "all_notes.h"
#include "autosave.h"
#include "commands.h"
#include "display_scale.h"
#include "dialogs.h"
#include "events.h"
#include "file_watch.h"
#include "instance.h"
#include "loading.h"
#include "menus.h"
#include "new_note_key.h"
#include "note.h"
#include "note_rules.h"
#include "persistence.h"
#include "recovery.h"
#include "settings_store.h"
#include "startup.h"
#include "store_cycle.h"
#include "store_status.h"
#include "system_library.h"
#include "tray.h"
#include "window_layer.h"

namespace {

HICON trayImage;
int trayImageSize;
constexpr UINT_PTR TrayRetryTimer = 1;

// A small icon at the scale of the monitor the taskbar is on: the system's scale is the one the
// program started at, which a change of scale since leaves behind.
int TrayIconSize() { return SystemMetricAt(SM_CXSMICON, WindowDpi(FindWindowA("Shell_TrayWnd", nullptr))); }

// The program's icon drawn at the size the notification area asks for, else one of the shell's.
HICON ProgramIcon(int size) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  if (auto icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0))) return icon;
  char path[MAX_PATH];
  return SystemFilePath("shell32.dll", path, sizeof path) ? ExtractIconA(module, path, 2) : nullptr;
}

// Once at the start, and again where the size asked for changed (a new scale, a new taskbar).
void LoadTrayImage() {
  const int size = TrayIconSize();
  if (trayImage && size == trayImageSize) return;
  HICON image = ProgramIcon(size);
  if (!image) return;
  TrayIconSetImage(TrayIcon, image);
  if (trayImage) DestroyIcon(trayImage);
  trayImage = image;
  trayImageSize = size;
}

void ShowTrayIcon();

void CALLBACK RetryTrayIcon(HWND, UINT, UINT_PTR, DWORD) { ShowTrayIcon(); }

// The icon is all a person has to reach the program: a shell not yet up at log-on, or one
// that refused, is asked again every two seconds without holding up the loop.
void ShowTrayIcon() {
  HWND owner = WindowHandle(OwnerWindow);
  if (TrayIconAdd(TrayIcon, owner, trayImage)) {
    KillTimer(owner, TrayRetryTimer);
    ShowStoreStatus();
  } else {
    SetTimer(owner, TrayRetryTimer, 2000, RetryTrayIcon);
  }
}

// What the mouse does is kept; the keyboard's Enter on the icon does what a double-click does, and
// its menu request opens the menu at the icon, the focus given back to the icon after Escape.
void AnswerTray(std::int32_t subtype) {
  HWND owner = WindowHandle(OwnerWindow);
  switch (subtype) {
    case TrayRightClick: ShowMenuAtCursor(TrayMenu, owner); break;
    case TrayMenuRequest:
      if (!ShowMenuAt(TrayMenu, owner, LastPoint().x, LastPoint().y)) TrayIconFocus(TrayIcon);
      break;
    case TrayLeftDoubleClick:
    case TrayKeySelect: AskForNewNote(); break;
    case TrayBalloonClick:
      if (BalloonSpeaksOfListedNotes()) OpenAllNotes();
      break;
    default: break;
  }
}

// Runs until "Exit" or until any window of the program is asked to close ("All Notes" closes alone).
void MainLoop() {
  for (;;) {
    std::int32_t kind = WaitEvent();
    std::int32_t item = static_cast<std::int32_t>(LastItem());
    ObjectNumber window = LastWindow();
    switch (kind) {
      case TrayEvent:
        AnswerTray(LastSubtype());
        break;
      case WM_LBUTTONDOWN:
        // The platform's own move loop drags the note as if by a caption; it returns at the drop. A
        // press in the text area is the text's: it places the caret or starts a selection.
        if (!IsLiveNote(window) || LastItem() == EditAreaOf(window)) break;
        MoveNoteByHand(window, WM_NCLBUTTONDOWN, HTCAPTION);
        break;
      case WM_RBUTTONDOWN:
        if (IsLiveNote(window)) ShowMenuAtCursor(window, WindowHandle(window));
        break;
      case MenuEvent:
        if (item == AllNotesItem) OpenAllNotes();
        else if (!RunMenuCommand(item, window)) return;
        break;
      case TextSizeEvent:
        if (IsLiveNote(window)) ChangeTextSize(window, LastSubtype());
        break;
      case HotKeyEvent:
        if (item == NewNoteHotKey) AskForNewNote();
        break;
      case ContextMenuEvent:
        if (!IsLiveNote(window)) break;
        if (LastPoint().x == -1 && LastPoint().y == -1) ShowNoteMenuAtNote(window);
        else ShowMenuAt(window, WindowHandle(window), LastPoint().x, LastPoint().y);
        break;
      case TaskbarRestartEvent:
        LoadTrayImage();
        ShowTrayIcon();
        break;
      case DisplayChangeEvent:
        LoadTrayImage();
        for (ObjectNumber note : LiveNotes()) BringNoteIntoReach(note);
        break;
      case BringNotesEvent:
        BringNotesForward();
        break;
      case RequestEvent:
        RunAllNotesRequests();
        break;
      case FileChangeEvent:
        FileChanged();
        break;
      case FileSettledEvent:
        FileSettled();
        break;
      case CloseEvent:
        return;
      default:
        break;
    }
  }
}

bool endedWithoutAsking;

// The session ends or the installer replaces the program: no one may be asked. What the file
// refuses goes into a recovery file. A shutdown waits for it, named by the owner window's title.
void EndWithoutAsking() {
  if (endedWithoutAsking) return;  // once, though every window of the program is told
  endedWithoutAsking = true;
  AnnounceEnding(true);
  StopWatchingFile();
  HWND owner = WindowHandle(OwnerWindow);
  ShutdownBlockReasonCreate(owner, L"Saving your notes");
  KeepNotesAtSessionEnd();
  ShutdownBlockReasonDestroy(owner);
}

// The installer waits for the end and may be running silently: it is never answered by a question.
void EndAtRequest() {
  EndWithoutAsking();
  EndTray();
  ExitProcess(0);
}

// "Exit" or a close request: with changes the file refuses, the person decides.
bool ReadyToEnd() {
  while (!StoreChangedNotes() && WritesWaiting()) {
    const std::string text = "Tackpad cannot save your notes: " + FailureReason(StoreFailure(), SettingsFile) +
                             ".\n\nThese notes have changes that would be lost: " + WaitingChanges() +
                             ".\n\nTry Again saves once more. Continue exits without saving them. Cancel keeps "
                             "Tackpad running.";
    int answer = ShowMessage("Tackpad", text.c_str(), MB_CANCELTRYCONTINUE | MB_ICONWARNING | MB_SETFOREGROUND);
    if (answer == IDCONTINUE) return true;
    if (answer != IDTRYAGAIN) return false;
  }
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearch();
  if (!FirstInFolder()) ExitProcess(0);
  StartLayers();
  PublishOwnerWindow(WindowHandle(OwnerWindow));
  LoadTrayImage();
  ShowTrayIcon();
  // Taken from the start: a long load must not drop the installer's end request or a session's end.
  SetSessionEndHandler(EndWithoutAsking);
  SetEndRequestHandler(EndAtRequest);
  StartAutosave(WindowHandle(OwnerWindow));
  RegisterNewNoteKey(WindowHandle(OwnerWindow));  // before the first start's balloon, which may take its place
  FinishInterruptedReplace(SettingsFile);  // before anything looks for the file
  FinishInterruptedReplace(BinFile);
  const bool stored = ProbeFileSize(SettingsFile) != -1;
  if (!stored) TellWhereTheIconIs();  // first: any notice of a recovery file takes its place
  TellOfRecoveryFile();
  if (stored) LoadNotes();
  StartWatchingFile(WindowHandle(OwnerWindow));
  for (;;) {
    MainLoop();
    AnnounceEnding(true);  // a start from now on waits for the end instead of handing over
    if (endedWithoutAsking || ReadyToEnd()) break;  // nothing typed is lost unless the person says so
    AnnounceEnding(false);
  }
  EndLayers();
  ExitProcess(0);
}
