#pragma once
#ifdef _WIN32
#include <windows.h>

// What a Win32 call opened or took, given back as the scope ends, on every way out of it.

// A copy would give it back twice.
struct NotCopied {
  NotCopied() = default;
  NotCopied(const NotCopied&) = delete;
  NotCopied& operator=(const NotCopied&) = delete;
};

// A handle closed by `Close`; null is none.
template <typename Handle, auto Close>
class Scoped : NotCopied {
 public:
  explicit Scoped(Handle held = nullptr) : held_(held) {}
  ~Scoped() {
    if (held_) Close(held_);
  }
  operator Handle() const { return held_; }
  Handle* Receive() { return &held_; }  // for a call that hands back what it opened

 private:
  Handle held_;
};

using ScopedKey = Scoped<HKEY, RegCloseKey>;
template <typename Object>
using ScopedGdiObject = Scoped<Object, DeleteObject>;

// The kernel's calls fail with either null or INVALID_HANDLE_VALUE: both are none.
class ScopedHandle : public Scoped<HANDLE, CloseHandle> {
 public:
  explicit ScopedHandle(HANDLE held) : Scoped(held == INVALID_HANDLE_VALUE ? nullptr : held) {}
};

// GetDC's device context, released to the window it came from.
class WindowDc : NotCopied {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  operator HDC() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

class HeldSection : NotCopied {
 public:
  explicit HeldSection(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~HeldSection() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION& section_;
};

// A mutex waited for at most `timeoutMs`; one its holder left by dying counts as held, so a
// holder must check what it guards.
class HeldMutex : NotCopied {
 public:
  HeldMutex(HANDLE mutex, DWORD timeoutMs) : mutex_(mutex) {
    const DWORD got = mutex ? WaitForSingleObject(mutex, timeoutMs) : WAIT_FAILED;
    held_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
  }
  ~HeldMutex() {
    if (held_) ReleaseMutex(mutex_);
  }

 private:
  HANDLE mutex_;
  bool held_;
};
#endif
