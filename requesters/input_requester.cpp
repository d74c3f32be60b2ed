#include "input_requester.h"

#include <windows.h>

#include "display_scale.h"
#include "events.h"
#include "memory.h"
#include "modality.h"
#include "scoped_win32.h"
#include "system_library.h"

namespace {

const char* const RequesterClass = "InputRequester";
constexpr int FieldId = 10;
constexpr int OkCommand = 1000;
constexpr int CancelCommand = 1001;
// Wakes the loop after a close that came from elsewhere; only this message is taken back.
constexpr UINT WakeUpMessage = WM_APP + 0x3A1;
// Its measures at 96 dpi: the frame, then the prompt, the field and the button (left, top,
// width, height).
constexpr SIZE FrameSize{300, 130};
constexpr RECT PromptPlace{10, 10, 280, 22}, FieldPlace{10, 32, 275, 21}, OkPlace{110, 67, 80, 25};

// One requester at a time: its window procedure reaches the dialog's parts through here.
struct InputRequester {
  HFONT dialogFont;  // made for the requester's scale
  bool done;
  bool ownerDisabled;
  HWND disabledOwner;
  HWND prompt;
  HWND field;
  HWND ok;
  HWND focus;  // the part that had the focus when the requester was last deactivated
};

InputRequester requester;

// Safe to run more than once, so that whatever ends the dialog leaves nothing disabled.
void EnableSuspendedWindows() {
  if (requester.ownerDisabled) EnableWindow(requester.disabledOwner, TRUE);
  requester.ownerDisabled = false;
  ResumeThreadWindows();
}

// The owner is enabled before the dialog goes, so the platform hands the activation back to it.
void CloseRequester(HWND dialog) {
  EnableSuspendedWindows();
  DestroyWindow(dialog);
}

void StoreFieldText(HWND dialog) {
  auto** slot = reinterpret_cast<char**>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (!slot) return;
  // In bytes: a UTF-16 unit takes at most three in any ANSI code page, UTF-8 included.
  const int length = GetWindowTextLengthW(requester.field) * 3;
  auto* text = static_cast<char*>(AllocateBytes(static_cast<std::size_t>(length) + 1));
  if (!text) return;
  GetWindowTextA(requester.field, text, length + 1);
  ReleaseBytes(*slot);
  *slot = text;
}

// The default GUI font, which is made for the system's scale, at `dpi`.
HFONT DialogFontAt(UINT dpi) {
  LOGFONTA font;
  if (!GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return nullptr;
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  return CreateFontIndirectA(&font);
}

void PlaceControl(HWND control, const RECT& place, UINT dpi) {
  SetWindowPos(control, nullptr, ScaledTo(place.left, dpi), ScaledTo(place.top, dpi), ScaledTo(place.right, dpi),
               ScaledTo(place.bottom, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(requester.dialogFont), TRUE);
}

// The frame, the parts and their font for `dpi`: in the frame Windows suggests for a new
// scale, else centred on the screen. The font made for the last scale goes.
void ScaleRequester(HWND dialog, UINT dpi, const RECT* suggested) {
  const int width = ScaledTo(FrameSize.cx, dpi), height = ScaledTo(FrameSize.cy, dpi);
  RECT frame{GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2, GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, 0, 0};
  if (suggested) frame = RECT{suggested->left, suggested->top, 0, 0};
  SetWindowPos(dialog, nullptr, frame.left, frame.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  ScopedGdiObject<HFONT> old(requester.dialogFont);  // once the controls have the new one
  requester.dialogFont = DialogFontAt(dpi);
  PlaceControl(requester.prompt, PromptPlace, dpi);
  PlaceControl(requester.field, FieldPlace, dpi);
  PlaceControl(requester.ok, OkPlace, dpi);
}

LRESULT CALLBACK RequesterProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED:
      ScaleRequester(dialog, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == OkCommand) StoreFieldText(dialog);
      if (LOWORD(wParam) == OkCommand || LOWORD(wParam) == CancelCommand) CloseRequester(dialog);
      return 0;
    case WM_ACTIVATE:
      KeepFocusAcrossActivation(dialog, wParam, &requester.focus);
      return 0;
    case WM_CLOSE:
      CloseRequester(dialog);
      return 0;
    case WM_DESTROY:
      EnableSuspendedWindows();
      requester.done = true;
      // A close sent from elsewhere is handled inside GetMessageW, which would then wait on.
      PostThreadMessageA(GetCurrentThreadId(), WakeUpMessage, 0, 0);
      return 0;
    default:
      return DefWindowProcA(dialog, message, wParam, lParam);
  }
}

void RegisterRequesterClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = RequesterProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = RequesterClass;
  RegisterClassExA(&windowClass);  // still registered from an earlier call: that one serves
}

// Placed and lettered by ScaleRequester.
HWND AddControl(HWND dialog, const char* className, const char* text, DWORD style, DWORD extendedStyle, int id) {
  return CreateSystemControl(extendedStyle, className, text, style, 0, 0, 0, 0, dialog, id);
}

void AddControls(HWND dialog, const char* prompt, const char* defaultText) {
  requester.prompt = AddControl(dialog, "STATIC", prompt, WS_CHILD | WS_VISIBLE | SS_SIMPLE, 0, 0);
  requester.field = AddControl(dialog, "EDIT", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                               WS_EX_CLIENTEDGE, FieldId);
  if (*defaultText) {
    SendMessageA(requester.field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(defaultText));
    const int end = GetWindowTextLengthW(requester.field);
    SendMessageA(requester.field, EM_SETSEL, end, end);
  }
  requester.ok = AddControl(dialog, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                            OkCommand);
}

HACCEL BuildKeys() {
  ACCEL keys[] = {{FVIRTKEY, VK_RETURN, OkCommand}, {FVIRTKEY, VK_ESCAPE, CancelCommand}};
  return CreateAcceleratorTableA(keys, 2);
}

// Takes every message of the thread, so the other windows still paint; they only get no input.
void RunRequesterLoop(HWND dialog) {
  HACCEL keys = BuildKeys();
  SetForegroundWindow(dialog);
  BringWindowToTop(dialog);
  MSG message{};
  BOOL got = TRUE;
  // In UTF-16, as the main loop: a Unicode field then gets typed characters whole.
  while (!requester.done && (got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (keys && TranslateAcceleratorW(dialog, keys, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (keys) DestroyAcceleratorTable(keys);
  if (!requester.done) CloseRequester(dialog);
  // The quit belongs to the caller's loop; the wake-up was the dialog's own business.
  if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
  PeekMessageA(&message, reinterpret_cast<HWND>(-1), WakeUpMessage, WakeUpMessage, PM_REMOVE);
}

}  // namespace

std::string RequestText(const char* title, const char* prompt, const char* defaultText) {
  // Private copies: an argument may live in a buffer that moves while the dialog's loop runs.
  const std::string titleCopy = title ? title : "";
  const std::string promptCopy = prompt ? prompt : "";
  const std::string defaultCopy = defaultText ? defaultText : "";
  RegisterRequesterClass();
  requester.done = false;
  requester.focus = nullptr;
  SuspendThreadWindows();
  HWND owner = ProcessForegroundWindow();
  requester.ownerDisabled = owner && IsWindowEnabled(owner);
  if (requester.ownerDisabled) {
    EnableWindow(owner, FALSE);
    requester.disabledOwner = owner;
  }
  char* confirmed = nullptr;
  // Shown once it is laid out for the scale of the monitor it came up on.
  HWND dialog = CreateWindowExA(0, RequesterClass, titleCopy.c_str(), WS_CAPTION, 0, 0, 0, 0, owner, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (dialog) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&confirmed));
    AddControls(dialog, promptCopy.c_str(), defaultCopy.c_str());
    ScaleRequester(dialog, WindowDpi(dialog), nullptr);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(requester.field);
    RunRequesterLoop(dialog);
  }
  EnableSuspendedWindows();
  // Only once the dialog is gone: a class with a window left cannot be unregistered.
  UnregisterClassA(RequesterClass, GetModuleHandleA(nullptr));
  ScopedGdiObject<HFONT> lastFont(requester.dialogFont);
  requester.dialogFont = nullptr;
  std::string result = confirmed ? confirmed : "";
  ReleaseBytes(confirmed);
  return result;
}
