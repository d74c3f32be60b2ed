// A window of another process for the requester tests to leave in the foreground.
#include <windows.h>

static LRESULT CALLBACK ForeignProcedure(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (message == WM_TIMER) DestroyWindow(window);  // the test died: do not linger
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

int main() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ForeignProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "RequesterTestForeign";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "RequesterTestForeign", "foreign", WS_POPUP | WS_VISIBLE, 600,
                                50, 80, 80, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(window);
  SetTimer(window, 1, 120000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
