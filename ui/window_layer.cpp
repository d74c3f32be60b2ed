#include "window_layer.h"

#include <cstdio>
#include <initializer_list>

#include "display_scale.h"
#include "events.h"
#include "high_contrast.h"
#include "memory.h"

namespace {

const char WindowNumberProperty[] = "TackpadWindowNumber";
constexpr DWORD PlacementBits = WindowScreenCentred | WindowParentCentred;

ObjectTable* windowTable;
HICON defaultIcon;
HCURSOR defaultCursor;

struct ClassName {
  char text[40];
};

ClassName ClassNameOf(ObjectNumber number) {
  ClassName name;
  std::snprintf(name.text, sizeof name.text, "WindowClass_%lld", static_cast<long long>(number));
  return name;
}

void RegisterWindowClass(const ClassName& name) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = LayerWindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = defaultIcon;
  windowClass.hCursor = defaultCursor;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name.text;
  RegisterClassA(&windowClass);
}

DWORD PlatformStyle(std::uint32_t flags) {
  if (!(flags & ~(PlacementBits | WindowInvisible))) flags |= WS_CAPTION;
  return flags & ~(PlacementBits | WindowInvisible);
}

int Centred(int outer, int size) { return (outer - size) / 2; }

// Centring on the screen first cuts the window down to the screen.
POINT StartPosition(int x, int y, SIZE* outer, std::uint32_t flags, HWND parent) {
  if (flags & WindowScreenCentred) {
    SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (outer->cx > screen.cx) outer->cx = screen.cx;
    if (outer->cy > screen.cy) outer->cy = screen.cy;
    return {Centred(screen.cx, outer->cx), Centred(screen.cy, outer->cy)};
  }
  HWND around = (flags & WindowParentCentred) ? (parent ? parent : GetActiveWindow()) : nullptr;
  RECT frame;
  if (around && GetWindowRect(around, &frame)) {
    int left = frame.left + Centred(frame.right - frame.left, outer->cx);
    int top = frame.top + Centred(frame.bottom - frame.top, outer->cy);
    return {left < 0 ? 0 : left, top < 0 ? 0 : top};
  }
  if (x == IgnoreValue || y == IgnoreValue) return {CW_USEDEFAULT, CW_USEDEFAULT};
  return {x, y};
}

// Tab and Shift+Tab move the focus, unless an editor takes Tab as text (the event layer decides).
void AttachAccelerators(WindowRecord* record) {
  record->acceleratorCount = 2;
  record->accelerators = static_cast<ACCEL*>(AllocateBytes(2 * sizeof(ACCEL)));
  if (!record->accelerators) return;
  record->accelerators[0] = ACCEL{FVIRTKEY | FNOINVERT, VK_TAB, FocusNextCommand};
  record->accelerators[1] = ACCEL{FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, FocusPreviousCommand};
  record->acceleratorTable = CreateAcceleratorTableA(record->accelerators, 2);
}

void FreeRecordParts(WindowRecord* record) {
  ReleaseBytes(record->accelerators);
  if (record->acceleratorTable) DestroyAcceleratorTable(record->acceleratorTable);
  if (record->backgroundBrush) DeleteObject(record->backgroundBrush);
}

// The property holds the number plus one, so that a missing one (0) names nothing.
ObjectNumber NumberMark(HWND handle) {
  return reinterpret_cast<ObjectNumber>(GetPropA(handle, WindowNumberProperty));
}

bool TakesActivation(HWND window, HWND leaving) {
  if (window == leaving || !IsWindowVisible(window) || !IsWindowEnabled(window) || IsIconic(window)) return false;
  const auto extended = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  return !(extended & WS_EX_NOACTIVATE) && (!(extended & WS_EX_TOOLWINDOW) || (extended & WS_EX_APPWINDOW));
}

// The active window going: left to Windows, the activation could go to the hidden owner, where keys
// go nowhere. The topmost other window of the layer takes it, else the topmost window of another
// program, which is the one that had it before the program took it.
void PassActivation(HWND leaving) {
  if (GetActiveWindow() != leaving) return;
  const HWND top = GetTopWindow(nullptr);
  for (bool ours : {true, false}) {
    for (HWND window = top; window; window = GetWindow(window, GW_HWNDNEXT)) {
      DWORD process = 0;
      const bool candidate = ours ? RecordOfWindow(window) != nullptr
                                  : GetWindowThreadProcessId(window, &process) && process != GetCurrentProcessId();
      if (candidate && TakesActivation(window, leaving)) {
        SetForegroundWindow(window);
        return;
      }
    }
  }
}

}  // namespace

void StartWindowLayer() {
  windowTable = CreateObjectTable(sizeof(WindowRecord), 16, RemoveWindow);
  ResetEventState();
  ReadHighContrast();
  defaultIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  defaultCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(0x7F00));
}

void EndWindowLayer() {
  StartWalk(windowTable);
  ObjectNumber number = 0;
  while (NextInWalk(windowTable, &number)) RemoveWindow(number);
}

HWND NewWindow(ObjectNumber number, int x, int y, int width, int height, const char* title,
               std::uint32_t flags, HWND parent) {
  auto* record = static_cast<WindowRecord*>(ClaimEntry(windowTable, number));
  if (!record) return nullptr;
  bool listed = number == AnyNumber;
  if (listed) number = reinterpret_cast<ObjectNumber>(record);
  ClassName className = ClassNameOf(number);
  RegisterWindowClass(className);

  DWORD style = PlatformStyle(flags);
  RECT outer{0, 0, width, height};
  AdjustWindowRect(&outer, style, FALSE);
  SIZE outerSize{outer.right - outer.left, outer.bottom - outer.top};
  POINT at = StartPosition(x, y, &outerSize, flags, parent);
  HWND handle = CreateWindowExA(0, className.text, title ? title : "", style, at.x, at.y, outerSize.cx,
                                outerSize.cy, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!handle) {
    UnregisterClassA(className.text, GetModuleHandleA(nullptr));
    ReleaseEntry(windowTable, number);
    return nullptr;
  }
  record->handle = handle;
  SetPropA(handle, WindowNumberProperty, reinterpret_cast<HANDLE>(number + 1));
  if (!(flags & WindowInvisible)) ShowWindow(handle, (flags & WindowMaximized) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  // Showing dispatched messages; the record is looked up again in case anything moved it.
  record = FindWindowRecord(number);
  if (!record) return nullptr;
  AttachAccelerators(record);
  record->backgroundColour = -1;
  record->opacity = -1;
  record->dpi = WindowDpi(handle);
  MarkWindowPlace(number);
  return listed ? reinterpret_cast<HWND>(record) : handle;
}

void RemoveWindow(ObjectNumber number) {
  auto* record = static_cast<WindowRecord*>(FindEntry(windowTable, number));
  if (!record) return;
  HWND handle = record->handle;
  PassActivation(handle);
  RemovePropA(handle, WindowNumberProperty);
  DestroyWindow(handle);
  UnregisterClassA(ClassNameOf(number).text, GetModuleHandleA(nullptr));
  // Destroying may have run code that claimed or released entries: look again.
  record = static_cast<WindowRecord*>(FindEntry(windowTable, number));
  if (!record || record->handle != handle) return;
  FreeRecordParts(record);
  ReleaseEntry(windowTable, number);
}

void ForgetDestroyedWindow(HWND handle) {
  // RemoveWindow takes the property off first, so only windows dying otherwise get here.
  WindowRecord* record = RecordOfWindow(handle);
  if (!record) return;
  ObjectNumber number = NumberMark(handle) - 1;
  RemovePropA(handle, WindowNumberProperty);
  FreeRecordParts(record);
  ReleaseEntry(windowTable, number);
}

WindowRecord* FindWindowRecord(ObjectNumber number) {
  return windowTable ? static_cast<WindowRecord*>(FindEntry(windowTable, number)) : nullptr;
}

WindowRecord* RecordOfWindow(HWND handle) {
  ObjectNumber mark = NumberMark(handle);
  WindowRecord* record = mark ? FindWindowRecord(mark - 1) : nullptr;
  return record && record->handle == handle ? record : nullptr;
}

ObjectNumber WindowNumberOf(HWND handle) {
  for (HWND at = handle; at; at = GetParent(at)) {
    if (ObjectNumber mark = NumberMark(at)) return mark - 1;
  }
  return AnyNumber;
}

HWND WindowHandle(ObjectNumber number) {
  WindowRecord* record = FindWindowRecord(number);
  return record ? record->handle : nullptr;
}

void SetWindowHidden(ObjectNumber number, int hidden) {
  WindowRecord* record = FindWindowRecord(number);
  if (!record) return;
  HWND handle = record->handle;
  if (hidden) {
    PassActivation(handle);
    ShowWindow(handle, SW_HIDE);
    return;
  }
  // A window hidden while its monitor's scale changed may not have been told: it takes that
  // scale where it stands, as if told now.
  const UINT dpi = WindowDpi(handle);
  RECT frame;
  if (record->dpi != dpi && GetWindowRect(handle, &frame)) {
    SendMessageA(handle, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
  }
  ShowWindow(handle, IsZoomed(handle) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
}

void SetWindowTopmost(ObjectNumber number, int on) {
  HWND handle = WindowHandle(number);
  if (handle) SetWindowPos(handle, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void PlaceWindow(ObjectNumber number, int x, int y, int width, int height) {
  HWND handle = WindowHandle(number);
  if (!handle) return;
  if (x == IgnoreValue || y == IgnoreValue) {
    RECT frame;
    GetWindowRect(handle, &frame);
    if (x == IgnoreValue) x = frame.left;
    if (y == IgnoreValue) y = frame.top;
  }
  RECT size{0, 0, width, height};
  if (width == IgnoreValue || height == IgnoreValue) {
    RECT client;
    GetClientRect(handle, &client);
    size = RECT{0, 0, width == IgnoreValue ? client.right : width, height == IgnoreValue ? client.bottom : height};
  }
  AdjustFrameForDpi(&size, static_cast<DWORD>(GetWindowLongPtrA(handle, GWL_STYLE)),
                    static_cast<DWORD>(GetWindowLongPtrA(handle, GWL_EXSTYLE)), WindowScale(number));
  SetWindowPos(handle, nullptr, x, y, size.right - size.left, size.bottom - size.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetWindowBackground(ObjectNumber number, std::int32_t colour) {
  WindowRecord* record = FindWindowRecord(number);
  if (!record || record->backgroundColour == colour) return;
  if (record->backgroundBrush) DeleteObject(record->backgroundBrush);
  record->backgroundBrush = colour == -1 ? nullptr : CreateSolidBrush(static_cast<COLORREF>(colour));
  record->backgroundColour = colour;
  RedrawWindow(record->handle, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
}

namespace {

void ShowOpacity(const WindowRecord& record) {
  if (record.opacity == -1) return;
  SetLayeredWindowAttributes(record.handle, 0, HighContrastOn() ? 255 : static_cast<BYTE>(record.opacity), LWA_ALPHA);
}

}  // namespace

void SetWindowOpacity(ObjectNumber number, std::uint8_t opacity) {
  WindowRecord* record = FindWindowRecord(number);
  if (!record) return;
  record->opacity = opacity;
  SetWindowLongA(record->handle, GWL_EXSTYLE, GetWindowLongA(record->handle, GWL_EXSTYLE) | WS_EX_LAYERED);
  ShowOpacity(*record);
}

void ShowWindowColours(const WindowRecord& record) {
  ShowOpacity(record);
  RedrawWindow(record.handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int WindowLeft(ObjectNumber number) {
  RECT frame{};
  HWND handle = WindowHandle(number);
  return handle && GetWindowRect(handle, &frame) ? frame.left : 0;
}

int WindowTop(ObjectNumber number) {
  RECT frame{};
  HWND handle = WindowHandle(number);
  return handle && GetWindowRect(handle, &frame) ? frame.top : 0;
}

int WindowInnerWidth(ObjectNumber number) {
  RECT client{};
  HWND handle = WindowHandle(number);
  return handle && GetClientRect(handle, &client) ? client.right : 0;
}

UINT WindowScale(ObjectNumber number) {
  WindowRecord* record = FindWindowRecord(number);
  return record ? record->dpi : BaseDpi;
}

void MarkWindowPlace(ObjectNumber number) {
  WindowRecord* record = FindWindowRecord(number);
  if (!record) return;
  record->markedPlace = {WindowLeft(number), WindowTop(number)};
  record->personMoved = false;
}

bool WindowMovedSinceMark(ObjectNumber number) {
  WindowRecord* record = FindWindowRecord(number);
  return record && record->personMoved &&
         (record->markedPlace.x != WindowLeft(number) || record->markedPlace.y != WindowTop(number));
}

void NoteMoveLoop(WindowRecord& record, ObjectNumber number, bool began) {
  record.inMoveLoop = began;
  if (!began && !WindowMovedSinceMark(number)) record.personMoved = false;  // put back where it was
}

void NoteWindowMoved(WindowRecord& record, ObjectNumber number) {
  if (record.inMoveLoop) record.personMoved = true;
  else if (!record.personMoved) record.markedPlace = {WindowLeft(number), WindowTop(number)};
}
