#include "events.h"

#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "display_scale.h"
#include "gadgets.h"
#include "high_contrast.h"
#include "memory.h"
#include "window_layer.h"

namespace {

struct DeferredEvent {
  DeferredEvent* next;
  std::int32_t kind;
  ObjectNumber window;
};

struct EventState {
  ObjectNumber item;
  ObjectNumber window;
  std::int32_t subtype;
  POINT point;
  std::int32_t pendingKind;
  DeferredEvent* first;
  DeferredEvent* last;
};

EventState eventState;
UINT taskbarCreatedMessage;
UINT previousTrayMessage;  // what the icon reported last, in any loop
HANDLE watchedHandle;  // waited beside the queue by the main loop's wait, until it is signalled
std::int32_t watchedKind;
void (*sessionEndHandler)();
void (*endRequestHandler)();
void (*textChangeHandler)(ObjectNumber);
void (*scaleChangeHandler)(ObjectNumber);

// Repeats of the newest deferred event are dropped; anything between two keeps both.
void EnqueueEvent(std::int32_t kind, ObjectNumber window) {
  DeferredEvent* last = eventState.last;
  if (last && last->kind == kind && last->window == window) return;
  auto* node = static_cast<DeferredEvent*>(AllocateBytes(sizeof(DeferredEvent)));
  if (!node) return;
  *node = DeferredEvent{nullptr, kind, window};
  if (last) last->next = node;
  else eventState.first = node;
  eventState.last = node;
}

// For an event made by a sent message, which the loop's wait does not return for.
void EnqueueAndWake(std::int32_t kind, HWND handle) {
  EnqueueEvent(kind, AnyNumber);
  PostMessageA(handle, WM_NULL, 0, 0);
}

std::int32_t TakeDeferredEvent() {
  DeferredEvent* node = eventState.first;
  eventState.first = node->next;
  if (!eventState.first) eventState.last = nullptr;
  eventState.window = node->window;
  eventState.pendingKind = 0;
  std::int32_t kind = node->kind;
  ReleaseBytes(node);
  return kind;
}

// Messages are taken and dispatched in UTF-16: a character typed into a Unicode control (the
// edit areas and the title field, where the code page is UTF-8) then reaches it whole.
// A watched handle signalled gives its event once and is no longer waited on: one left signalled
// would make every wait return at once.
bool TakeMessage(MSG* message, std::int32_t timeoutMs) {
  if (timeoutMs == -1 && !watchedHandle) {
    GetMessageW(message, nullptr, 0, 0);  // a quit message is reported like any other
    return true;
  }
  if (PeekMessageW(message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) return true;
  if (timeoutMs == 0) return false;
  const DWORD count = watchedHandle ? 1 : 0;
  const DWORD woke = MsgWaitForMultipleObjectsEx(count, &watchedHandle, timeoutMs == -1 ? INFINITE : static_cast<DWORD>(timeoutMs),
                                                 QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (woke == WAIT_TIMEOUT) return false;
  if (count && woke == WAIT_OBJECT_0) {
    watchedHandle = nullptr;
    EnqueueEvent(watchedKind, AnyNumber);
    return false;
  }
  return PeekMessageW(message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD);
}

bool KeyDown(int key) { return GetKeyState(key) < 0; }

// A plain Tab in a writable rich-edit control is text, not navigation.
bool TabTypesIntoEditor() {
  if (!KeyDown(VK_TAB) || KeyDown(VK_CONTROL) || KeyDown(VK_SHIFT) || KeyDown(VK_MENU)) return false;
  HWND focus = GetFocus();
  char className[8];
  if (!focus || GetClassNameA(focus, className, sizeof className) < 4) return false;
  if (std::strncmp(className, "Rich", 4) != 0) return false;
  return !(SendMessageA(focus, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
}

HACCEL AcceleratorFor(HWND active) {
  if (TabTypesIntoEditor()) return nullptr;
  WindowRecord* record = RecordOfWindow(active);
  return record ? record->acceleratorTable : nullptr;
}

BOOL CALLBACK CollectTabStop(HWND child, LPARAM into) {
  if (IsWindowEnabled(child) && IsWindowVisible(child) && (GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP)) {
    reinterpret_cast<std::vector<HWND>*>(into)->push_back(child);
  }
  return TRUE;
}

std::vector<HWND> TabStops(HWND window) {
  std::vector<HWND> stops;
  if (window) EnumChildWindows(window, CollectTabStop, reinterpret_cast<LPARAM>(&stops));
  return stops;
}

void MoveFocus(bool backward) {
  HWND active = GetActiveWindow();
  const std::vector<HWND> candidates = TabStops(active);
  if (candidates.empty()) return;
  HWND focus = GetFocus();
  auto start = focus && IsChild(active, focus) ? std::find(candidates.begin(), candidates.end(), focus)
                                               : candidates.end();
  if (backward) {
    SetFocus(start == candidates.end() || start == candidates.begin() ? candidates.back() : *(start - 1));
  } else {
    SetFocus(start == candidates.end() || start + 1 == candidates.end() ? candidates.front() : *(start + 1));
  }
}

void TranslateCommand(HWND handle, WPARAM wParam, LPARAM lParam) {
  auto control = reinterpret_cast<HWND>(lParam);
  if (GadgetMessageHook(control, handle, WM_COMMAND, wParam, lParam) != NotHandled) return;
  if (control) {
    if (HIWORD(wParam) == EN_CHANGE && textChangeHandler) textChangeHandler(WindowNumberOf(handle));
    eventState.pendingKind = GadgetEvent;
    eventState.subtype = HIWORD(wParam);
    eventState.item = GetWindowLongPtrA(control, GWLP_ID);
  } else if (HIWORD(wParam) == 0) {
    eventState.pendingKind = MenuEvent;
    eventState.item = static_cast<ObjectNumber>(wParam);
  } else if (LOWORD(wParam) == FocusNextCommand || LOWORD(wParam) == FocusPreviousCommand) {
    MoveFocus(LOWORD(wParam) == FocusPreviousCommand);
  } else {
    eventState.pendingKind = MenuEvent;
    eventState.item = LOWORD(wParam);
  }
}

// The icons speak version 4: the event in the low word of lParam, the icon in the high word, the
// anchor in wParam. A right click brings its release and then WM_CONTEXTMENU, which opens nothing
// more; WM_CONTEXTMENU alone comes from the keyboard. NIN_SELECT follows every left click.
void TranslateTrayRelay(WPARAM wParam, LPARAM lParam) {
  const UINT message = LOWORD(lParam);
  const bool echo = message == WM_CONTEXTMENU && previousTrayMessage == WM_RBUTTONUP;
  previousTrayMessage = message;
  eventState.item = HIWORD(lParam);
  eventState.point = POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
  eventState.pendingKind = 0;
  std::int32_t subtype;
  switch (message) {
    case WM_LBUTTONUP: subtype = TrayLeftClick; break;
    case WM_RBUTTONUP: subtype = TrayRightClick; break;
    case WM_LBUTTONDBLCLK: subtype = TrayLeftDoubleClick; break;
    case WM_RBUTTONDBLCLK: subtype = TrayRightDoubleClick; break;
    case NIN_KEYSELECT: subtype = TrayKeySelect; break;
    case WM_CONTEXTMENU: subtype = TrayMenuRequest; break;
    case NIN_BALLOONUSERCLICK: subtype = TrayBalloonClick; break;
    default: return;
  }
  if (echo) return;
  eventState.subtype = subtype;
  eventState.pendingKind = TrayEvent;
}

// A right release lets Windows' default handling send WM_CONTEXTMENU for a request the program
// took already at the press (`releaseDispatched`): that one opens nothing.
bool releaseDispatched;

// A request sent from another thread (an assistive tool) comes back posted, so that it is taken as
// a posted one is: by the main loop alone, never kept for later by a menu's or a question's loop.
void RequestContextMenu(HWND handle, ObjectNumber window, WPARAM wParam, LPARAM where) {
  if (InSendMessage()) {
    PostMessageA(handle, WM_CONTEXTMENU, wParam, where);
    return;
  }
  if (releaseDispatched || window == AnyNumber) return;
  eventState.window = window;
  eventState.point = POINT{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
  eventState.pendingKind = ContextMenuEvent;
}

LRESULT EraseBackground(HWND handle, HDC dc, ObjectNumber number) {
  WindowRecord* record = FindWindowRecord(number);
  LRESULT result = NotHandled;
  if (record && record->backgroundBrush) {
    RECT client;
    GetClientRect(handle, &client);
    FillRect(dc, &client, HighContrastOn() ? GetSysColorBrush(COLOR_WINDOW) : record->backgroundBrush);
    result = 1;
  }
  EnqueueEvent(RepaintEvent, number);
  return result;
}

BOOL CALLBACK PassColourChange(HWND child, LPARAM) {
  SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

// The system's colours or its high-contrast setting changed: each window of the layer and its
// controls show them at once, in whatever loop.
void TakeSystemColours(HWND handle) {
  ReadHighContrast();
  WindowRecord* record = RecordOfWindow(handle);
  if (!record) return;
  EnumChildWindows(handle, PassColourChange, 0);
  ShowWindowColours(*record);
}

// The question is answered at once; what must be stored is stored as the session does end, before
// that answer: Windows may end the process right after it.
LRESULT EndSession(HWND handle, UINT message, WPARAM wParam) {
  if (message == WM_QUERYENDSESSION) return TRUE;
  if (!wParam) return 0;
  if (sessionEndHandler) sessionEndHandler();
  EnqueueAndWake(CloseEvent, handle);
  return 0;
}

// The window's frame at `to` around a client of the same size at 96 dpi as at `from`: scaled by
// proportion from the last size instead, a note would drift a pixel at a time.
SIZE FrameAtScale(HWND handle, UINT from, UINT to) {
  RECT client{};
  GetClientRect(handle, &client);
  RECT frame{0, 0, ScaledTo(UnscaledFrom(client.right, from), to), ScaledTo(UnscaledFrom(client.bottom, from), to)};
  AdjustFrameForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrA(handle, GWL_STYLE)),
                    static_cast<DWORD>(GetWindowLongPtrA(handle, GWL_EXSTYLE)), to);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// Asked by Windows 10 (1703 and later) before it suggests a frame for the new scale.
LRESULT ProposeScaledSize(HWND handle, UINT dpi, SIZE* size) {
  WindowRecord* record = RecordOfWindow(handle);
  if (!record || !size || !dpi) return FALSE;
  *size = FrameAtScale(handle, record->dpi, dpi);
  return TRUE;
}

// The window takes the place Windows suggests, its size kept exact, and its contents are laid
// out again. A place it moved to only by the change is no place to store (outside a drag, the
// mark follows it).
LRESULT TakeNewScale(HWND handle, ObjectNumber number, UINT dpi, const RECT* suggested) {
  WindowRecord* record = RecordOfWindow(handle);
  if (!record || !suggested || !dpi) return NotHandled;
  const SIZE frame = FrameAtScale(handle, record->dpi, dpi);
  record->dpi = dpi;
  SetWindowPos(handle, nullptr, suggested->left, suggested->top, frame.cx, frame.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  if (scaleChangeHandler) scaleChangeHandler(number);
  return 0;
}

LRESULT Translate(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  ObjectNumber number = WindowNumberOf(handle);
  eventState.window = number;
  if (message == taskbarCreatedMessage && message != 0) {
    EnqueueAndWake(TaskbarRestartEvent, handle);
    return 0;
  }
  switch (message) {
    case WM_DISPLAYCHANGE:
      EnqueueAndWake(DisplayChangeEvent, handle);
      return NotHandled;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) EnqueueAndWake(DisplayChangeEvent, handle);
      if (wParam == SPI_SETHIGHCONTRAST) TakeSystemColours(handle);
      return NotHandled;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
      return EndSession(handle, message, wParam);
    case BringNotesMessage:  // a menu or a question open must not swallow it
      EnqueueAndWake(BringNotesEvent, handle);
      return 0;
    case EndRequestMessage:  // taken in any loop, a question's included
      if (endRequestHandler) endRequestHandler();
      return 0;
    case WM_GETDPISCALEDSIZE:
      return ProposeScaledSize(handle, static_cast<UINT>(wParam), reinterpret_cast<SIZE*>(lParam));
    case WM_DPICHANGED:
      return TakeNewScale(handle, number, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
      if (WindowRecord* record = RecordOfWindow(handle)) NoteMoveLoop(*record, number, message == WM_ENTERSIZEMOVE);
      return NotHandled;
    case WM_MOVE:
      if (WindowRecord* record = RecordOfWindow(handle)) NoteWindowMoved(*record, number);
      if (number != AnyNumber) EnqueueEvent(MoveEvent, number);
      return 0;
    case WM_SIZE:
      if (number == AnyNumber || wParam == SIZE_MINIMIZED) return NotHandled;
      EnqueueEvent(SizeEvent, number);
      return 0;
    case WM_ACTIVATE:
      if (WindowRecord* record = RecordOfWindow(handle)) KeepFocusAcrossActivation(handle, wParam, &record->focus);
      if (LOWORD(wParam) != WA_INACTIVE) EnqueueEvent(ActivateEvent, number);
      return 0;
    case WM_CLOSE:  // the window stays; the program decides
      if (number != AnyNumber) EnqueueEvent(CloseEvent, number);
      return 0;
    case WM_ERASEBKGND:
      return EraseBackground(handle, reinterpret_cast<HDC>(wParam), number);
    case WM_SYSCOLORCHANGE:
      TakeSystemColours(handle);
      return NotHandled;
    case WM_HOTKEY:
      eventState.item = static_cast<ObjectNumber>(wParam);
      eventState.pendingKind = HotKeyEvent;
      return 0;
    case WM_NOTIFY:  // any process can send one, with any address or none
      if (!lParam) return NotHandled;
      return GadgetMessageHook(reinterpret_cast<NMHDR*>(lParam)->hwndFrom, handle, message, wParam, lParam);
    case WM_COMMAND:
      TranslateCommand(handle, wParam, lParam);
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return GadgetMessageHook(reinterpret_cast<HWND>(lParam), handle, message, wParam, lParam);
    case TrayCallbackMessage:  // the shell sends it; reported once it comes through the queue
      PostMessageA(handle, TrayRelayMessage, wParam, lParam);
      return 0;
    case TrayRelayMessage:
      TranslateTrayRelay(wParam, lParam);
      return 0;
    case WM_CONTEXTMENU:  // from a child too: its default handling passes it up
      RequestContextMenu(handle, number, wParam, lParam);
      return 0;
    case WM_NCDESTROY:
      ForgetDestroyedWindow(handle);
      return NotHandled;
    default:
      return NotHandled;
  }
}

// Shift+F10 and the menu key open a window's menu, as a right click does; the menu key comes as a
// system key while Alt or F10 is down.
bool IsMenuKey(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  return message.wParam == VK_APPS || (message.message == WM_SYSKEYDOWN && message.wParam == VK_F10 && KeyDown(VK_SHIFT));
}

// A press names the window it was made in and, as its item, the gadget under it (the window's own
// number where there is none): the window is told of a press in a gadget only in passing.
void NotePress(HWND target) {
  eventState.window = WindowNumberOf(target);
  eventState.item =
      RecordOfWindow(target) ? eventState.window : static_cast<ObjectNumber>(GetWindowLongPtrA(target, GWLP_ID));
}

// The menu key's release, whose press opened the menu already, would ask for it again.
bool IsMenuKeyRelease(const MSG& message) {
  return (message.message == WM_KEYUP || message.message == WM_SYSKEYUP) && message.wParam == VK_APPS;
}

void Dispatch(MSG* message) {
  const bool menuKey = IsMenuKey(*message);
  // The window's number only for those keys: every message of the loop passes here.
  if ((menuKey || IsMenuKeyRelease(*message)) && WindowNumberOf(message->hwnd) != AnyNumber) {
    if (menuKey) RequestContextMenu(message->hwnd, WindowNumberOf(message->hwnd), 0, MAKELPARAM(-1, -1));
    return;
  }
  HWND active = GetActiveWindow();
  HACCEL table = AcceleratorFor(active);
  if (table && TranslateAcceleratorW(active, table, message)) return;
  TranslateMessage(message);
  releaseDispatched = message->message == WM_RBUTTONUP || message->message == WM_NCRBUTTONUP;
  DispatchMessageW(message);
  releaseDispatched = false;
}

}  // namespace

std::int32_t NextEvent(std::int32_t timeoutMs) {
  eventState.subtype = -1;
  if (eventState.first) return TakeDeferredEvent();
  // A kind left by a nested loop (a menu, a requester, a dialog, the drag) that no one took
  // must not stand in for the next message.
  eventState.pendingKind = 0;
  MSG message;
  if (!TakeMessage(&message, timeoutMs)) return eventState.first ? TakeDeferredEvent() : 0;
  Dispatch(&message);
  if (std::int32_t kind = eventState.pendingKind) {
    eventState.pendingKind = 0;
    return kind;
  }
  if (message.message == WM_LBUTTONDOWN || message.message == WM_RBUTTONDOWN) NotePress(message.hwnd);
  return static_cast<std::int32_t>(message.message);
}

std::int32_t WaitEvent() { return NextEvent(-1); }
ObjectNumber LastItem() { return eventState.item; }
ObjectNumber LastGadget() { return eventState.item; }
ObjectNumber LastWindow() { return eventState.window; }
std::int32_t LastSubtype() { return eventState.subtype; }
POINT LastPoint() { return eventState.point; }

LRESULT CALLBACK LayerWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = Translate(handle, message, wParam, lParam);
  return result == NotHandled ? DefWindowProcA(handle, message, wParam, lParam) : result;
}

void AskForTextSize(HWND control, std::int32_t steps) {
  eventState.window = WindowNumberOf(control);
  eventState.item = static_cast<ObjectNumber>(GetWindowLongPtrA(control, GWLP_ID));
  eventState.subtype = steps;
  eventState.pendingKind = TextSizeEvent;
}

void QueueEvent(std::int32_t kind, HWND handle) { EnqueueAndWake(kind, handle); }

void WatchHandle(HANDLE handle, std::int32_t kind) {
  watchedHandle = handle;
  watchedKind = kind;
}

void DrainMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  eventState.pendingKind = 0;
}

// Windows' default handling gives the focus to the window itself, where keys do nothing; the
// child that had it gets it back, the caret where it was.
void KeepFocusAcrossActivation(HWND window, WPARAM activation, HWND* kept) {
  if (LOWORD(activation) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) *kept = focus;
    return;
  }
  if (HIWORD(activation)) return;  // minimized
  const bool keptStands = *kept && IsChild(window, *kept) && IsWindowVisible(*kept) && IsWindowEnabled(*kept);
  const std::vector<HWND> stops = keptStands ? std::vector<HWND>() : TabStops(window);
  SetFocus(keptStands ? *kept : stops.empty() ? window : stops.front());
}

void SetSessionEndHandler(void (*handler)()) { sessionEndHandler = handler; }
void SetTextChangeHandler(void (*handler)(ObjectNumber)) { textChangeHandler = handler; }
void SetEndRequestHandler(void (*handler)()) { endRequestHandler = handler; }
void SetScaleChangeHandler(void (*handler)(ObjectNumber)) { scaleChangeHandler = handler; }

void ResetEventState() {
  while (eventState.first) TakeDeferredEvent();
  eventState = EventState{};
  watchedHandle = nullptr;
  taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
}
