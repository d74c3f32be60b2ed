#include "display_scale.h"

#include "scoped_win32.h"
#include "system_library.h"

namespace {

HMODULE User32() { return GetModuleHandleA("user32.dll"); }

}  // namespace

UINT WindowDpi(HWND window) {
  using ForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = LookupCall<ForWindow>(User32(), "GetDpiForWindow");  // Windows 10 1607
  if (UINT dpi = forWindow ? forWindow(window) : 0) return dpi;
  using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto forMonitor = LookupCall<ForMonitor>(LoadSystemLibrary("shcore.dll"), "GetDpiForMonitor");
  UINT x = 0, y = 0;
  const int effectiveDpi = 0;
  if (forMonitor && SUCCEEDED(forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), effectiveDpi, &x, &y)) &&
      x) {
    return x;
  }
  return SystemDpi();
}

UINT SystemDpi() {
  static const UINT dpi = [] {
    WindowDc screen(nullptr);
    const int pixels = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    return pixels > 0 ? static_cast<UINT>(pixels) : BaseDpi;
  }();
  return dpi;
}

int ScaledTo(int length, UINT dpi) { return MulDiv(length, static_cast<int>(dpi), BaseDpi); }

int UnscaledFrom(int length, UINT dpi) { return dpi ? MulDiv(length, BaseDpi, static_cast<int>(dpi)) : length; }

int UnawareCoordinate(int physical) { return UnscaledFrom(physical, SystemDpi()); }

int PhysicalCoordinate(int unaware) { return ScaledTo(unaware, SystemDpi()); }

void AdjustFrameForDpi(RECT* client, DWORD style, DWORD extendedStyle, UINT dpi) {
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = LookupCall<AdjustForDpi>(User32(), "AdjustWindowRectExForDpi");  // Windows 10 1607
  if (!adjustForDpi || !adjustForDpi(client, style, FALSE, extendedStyle, dpi)) {
    AdjustWindowRectEx(client, style, FALSE, extendedStyle);
  }
}

int SystemMetricAt(int index, UINT dpi) {
  using ForDpi = int(WINAPI*)(int, UINT);
  static const auto forDpi = LookupCall<ForDpi>(User32(), "GetSystemMetricsForDpi");  // Windows 10 1607
  return forDpi ? forDpi(index, dpi) : GetSystemMetrics(index);
}
