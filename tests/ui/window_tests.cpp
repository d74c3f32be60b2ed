#include "ui_fixture.h"

#include "events.h"
#include "gadgets.h"
#include "windows.h"

namespace {

LONG_PTR StyleOf(HWND handle) { return GetWindowLongPtrA(handle, GWL_STYLE); }

SIZE OuterSize(HWND handle) {
  RECT frame;
  GetWindowRect(handle, &frame);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

SIZE InnerSize(HWND handle) {
  RECT client;
  GetClientRect(handle, &client);
  return SIZE{client.right, client.bottom};
}

bool ClassExists(ObjectNumber number) {
  char name[40];
  std::snprintf(name, sizeof name, "WindowClass_%lld", static_cast<long long>(number));
  WNDCLASSA info;
  return GetClassInfoA(GetModuleHandleA(nullptr), name, &info) != 0;
}

using WindowTest = LayerTest;

TEST_F(WindowTest, InvisibleOwnerGetsACaptionAndNotesNoFrame) {
  HWND owner = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(StyleOf(owner) & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_TRUE(ClassExists(1000));

  HWND note = OpenWindow(3, 120, 140, 128, 128, 0x80000000u, owner);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(StyleOf(note) & (WS_POPUP | WS_CAPTION | WS_BORDER | WS_THICKFRAME), WS_POPUP);
  EXPECT_TRUE(IsWindowVisible(note));
  EXPECT_EQ(GetWindow(note, GW_OWNER), owner);
  EXPECT_EQ(OuterSize(note).cx, 128);
  EXPECT_EQ(OuterSize(note).cy, 128);
  EXPECT_EQ(WindowLeft(3), 120);
  EXPECT_EQ(WindowTop(3), 140);
  EXPECT_EQ(WindowInnerWidth(3), 128);
  EXPECT_EQ(WindowHandle(3), note);
}

TEST_F(WindowTest, CaptionedWindowGetsTheClientSizeAskedFor) {
  HWND handle = OpenWindow(7, 10, 10, 200, 90, 0);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(StyleOf(handle) & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(IsWindowVisible(handle));
  EXPECT_EQ(InnerSize(handle).cx, 200);
  EXPECT_EQ(InnerSize(handle).cy, 90);
  EXPECT_GT(OuterSize(handle).cy, 90);

  HWND centred = OpenWindow(8, 0, 0, 300, 200, 0x90000000u | WindowScreenCentred);
  EXPECT_EQ(WindowLeft(8), (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
  EXPECT_EQ(WindowTop(8), (GetSystemMetrics(SM_CYSCREEN) - 200) / 2);
  EXPECT_EQ(StyleOf(centred) & (WindowScreenCentred | WindowParentCentred), 0);

  OpenWindow(9, 0, 0, 100, 50, 0x90000000u | WindowParentCentred, centred);
  EXPECT_EQ(WindowLeft(9), WindowLeft(8) + 100);
  EXPECT_EQ(WindowTop(9), WindowTop(8) + 75);
}

TEST_F(WindowTest, InvisibleNoteAppearsOnlyWhenShown) {
  HWND note = OpenWindow(5, 50, 50, 128, 128, 0x90000000u);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(StyleOf(note) & (WS_POPUP | WS_CAPTION), WS_POPUP);
  EXPECT_FALSE(IsWindowVisible(note));
  SetWindowHidden(5, 0);
  EXPECT_TRUE(IsWindowVisible(note));
  SetWindowHidden(5, 1);
  EXPECT_FALSE(IsWindowVisible(note));
}

TEST_F(WindowTest, PlaceWindowKeepsIgnoredValues) {
  HWND note = OpenWindow(11, 200, 210, 258, 258, 0x90000000u);
  PlaceWindow(11, IgnoreValue, IgnoreValue, IgnoreValue, 24);  // rolled up
  EXPECT_EQ(InnerSize(note).cx, 258);
  EXPECT_EQ(InnerSize(note).cy, 24);
  EXPECT_EQ(WindowLeft(11), 200);
  EXPECT_EQ(WindowTop(11), 210);
  PlaceWindow(11, IgnoreValue, IgnoreValue, 388, 388);
  EXPECT_EQ(OuterSize(note).cx, 388);
  EXPECT_EQ(OuterSize(note).cy, 388);
  PlaceWindow(11, 30, IgnoreValue, IgnoreValue, IgnoreValue);
  EXPECT_EQ(WindowLeft(11), 30);
  EXPECT_EQ(WindowTop(11), 210);

  HWND captioned = OpenWindow(12, 40, 40, 150, 100, WindowInvisible);
  PlaceWindow(12, IgnoreValue, IgnoreValue, 160, IgnoreValue);
  EXPECT_EQ(InnerSize(captioned).cx, 160);
  EXPECT_EQ(InnerSize(captioned).cy, 100);
}

TEST_F(WindowTest, TopmostBandOnAndOff) {
  HWND note = OpenWindow(13, 10, 10, 128, 128, 0x90000000u);
  SetWindowTopmost(13, 1);
  EXPECT_TRUE(GetWindowLongPtrA(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowTopmost(13, 0);
  EXPECT_FALSE(GetWindowLongPtrA(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowTest, BackgroundBrushPaintsAndRedrawsOnlyOnChange) {
  HWND note = OpenWindow(15, 10, 10, 64, 64, 0x80000000u);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 64);
  HGDIOBJ previous = SelectObject(memory, bitmap);

  SetWindowBackground(15, 0x007DEDF0);
  RECT dirty;
  EXPECT_TRUE(GetUpdateRect(note, &dirty, FALSE));
  EXPECT_EQ(SendMessageA(note, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0), 1);
  EXPECT_EQ(GetPixel(memory, 5, 5), 0x007DEDF0u);

  ValidateRect(note, nullptr);
  SetWindowBackground(15, 0x007DEDF0);
  EXPECT_FALSE(GetUpdateRect(note, &dirty, FALSE));
  SetWindowBackground(15, 0x00112233);
  EXPECT_TRUE(GetUpdateRect(note, &dirty, FALSE));
  SendMessageA(note, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(GetPixel(memory, 5, 5), 0x00112233u);

  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(WindowTest, RemovingAWindowTakesItsClassAndGadgetsAlong) {
  OpenNote(21);
  ASSERT_NE(GadgetHandle(23), nullptr);
  ASSERT_NE(GadgetHandle(20), nullptr);
  RemoveWindow(21);
  EXPECT_EQ(WindowHandle(21), nullptr);
  EXPECT_FALSE(ClassExists(21));
  EXPECT_EQ(GadgetHandle(23), nullptr);
  EXPECT_EQ(GadgetHandle(20), nullptr);
  RemoveWindow(21);  // a second removal finds nothing
  EXPECT_EQ(WindowLeft(21), 0);
  EXPECT_EQ(WindowTop(21), 0);
  EXPECT_EQ(WindowInnerWidth(21), 0);
}

TEST_F(WindowTest, ReusedNumberReplacesTheOldWindow) {
  HWND first = OpenWindow(25, 10, 10, 50, 50, 0x90000000u);
  HWND second = OpenWindow(25, 20, 20, 60, 60, 0x90000000u);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(WindowHandle(25), second);
}

TEST_F(WindowTest, AnyNumberWindowIsNamedByTheReturnedHandle) {
  HWND named = OpenWindow(AnyNumber, 10, 10, 50, 50, 0x90000000u);
  ASSERT_NE(named, nullptr);
  auto number = reinterpret_cast<ObjectNumber>(named);
  HWND native = WindowHandle(number);
  ASSERT_NE(native, nullptr);
  EXPECT_NE(native, named);
  EXPECT_EQ(WindowInnerWidth(number), 50);
  SendMessageA(native, WM_CLOSE, 0, 0);
  SeenEvent close{};
  ASSERT_TRUE(AwaitEvent(CloseEvent, &close, 1000));
  EXPECT_EQ(close.window, number);
  RemoveWindow(number);
  EXPECT_FALSE(IsWindow(native));
  EXPECT_EQ(WindowHandle(number), nullptr);
}

TEST_F(WindowTest, WindowsDestroyedWithTheirOwnerLetGoOfTheirRecords) {
  HWND owner = OpenWindow(30, 0, 0, 0, 0, WindowInvisible);
  HWND note = OpenWindow(31, 10, 10, 50, 50, 0x90000000u, owner);
  DestroyWindow(owner);  // not through the layer: the owned note dies too
  EXPECT_FALSE(IsWindow(note));
  EXPECT_EQ(WindowHandle(31), nullptr);
  EXPECT_EQ(WindowHandle(30), nullptr);
  HWND again = OpenWindow(31, 10, 10, 50, 50, 0x90000000u);
  EXPECT_NE(again, nullptr);
}

}  // namespace
