#include <cstdio>

#include "events.h"
#include "gadgets.h"
#include "ui_fixture.h"
#include "window_layer.h"

namespace {

LONG_PTR StyleOf(HWND handle) { return GetWindowLongPtrA(handle, GWL_STYLE); }

RECT Frame(HWND handle) {
  RECT frame;
  GetWindowRect(handle, &frame);
  return frame;
}

RECT Client(HWND handle) {
  RECT client;
  GetClientRect(handle, &client);
  return client;
}

bool ClassExists(ObjectNumber number) {
  char name[40];
  std::snprintf(name, sizeof name, "WindowClass_%lld", static_cast<long long>(number));
  WNDCLASSA info;
  return GetClassInfoA(GetModuleHandleA(nullptr), name, &info) != 0;
}

using WindowTest = LayerTest;

TEST_F(WindowTest, StylesSizesAndVisibility) {
  HWND owner = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  EXPECT_EQ(StyleOf(owner) & (WS_CAPTION | WS_VISIBLE), WS_CAPTION);
  EXPECT_TRUE(ClassExists(1000));

  HWND note = OpenWindow(3, 120, 140, 128, 128, 0x80000000u, owner);
  EXPECT_EQ(StyleOf(note) & (WS_POPUP | WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_VISIBLE), WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(GetWindow(note, GW_OWNER), owner);
  EXPECT_EQ(Frame(note).right - Frame(note).left, 128);  // borderless: outer = inner
  EXPECT_EQ(WindowLeft(3), 120);
  EXPECT_EQ(WindowTop(3), 140);

  HWND captioned = OpenWindow(7, 10, 10, 200, 90, 0);
  EXPECT_EQ(StyleOf(captioned) & (WS_CAPTION | WS_VISIBLE), WS_CAPTION | WS_VISIBLE);
  EXPECT_EQ(Client(captioned).right, 200);
  EXPECT_EQ(Client(captioned).bottom, 90);
  EXPECT_GT(Frame(captioned).bottom - Frame(captioned).top, 90);

  HWND loading = OpenWindow(5, 50, 50, 128, 128, 0x90000000u);
  EXPECT_FALSE(IsWindowVisible(loading));
  TakeReadyEvents();
  SetWindowHidden(5, 0);
  EXPECT_TRUE(IsWindowVisible(loading));
  EXPECT_TRUE(HasEvent(TakeReadyEvents(), ActivateEvent, 5));
}

TEST_F(WindowTest, CentringOnScreenAndOnParent) {
  HWND centred = OpenWindow(8, 0, 0, 300, 200, 0x90000000u | WindowScreenCentred);
  EXPECT_EQ(WindowLeft(8), (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
  EXPECT_EQ(WindowTop(8), (GetSystemMetrics(SM_CYSCREEN) - 200) / 2);
  EXPECT_EQ(StyleOf(centred) & (WindowScreenCentred | WindowParentCentred), 0);
  OpenWindow(9, 0, 0, 100, 50, 0x90000000u | WindowParentCentred, centred);
  EXPECT_EQ(WindowLeft(9), WindowLeft(8) + 100);
  EXPECT_EQ(WindowTop(9), WindowTop(8) + 75);
}

TEST_F(WindowTest, PlacingKeepsIgnoredValuesAndTopmostToggles) {
  HWND note = OpenWindow(11, 200, 210, 258, 258, 0x90000000u);
  PlaceWindow(11, IgnoreValue, IgnoreValue, IgnoreValue, 24);  // rolled up
  EXPECT_EQ(Client(note).right, 258);
  EXPECT_EQ(Client(note).bottom, 24);
  PlaceWindow(11, 30, IgnoreValue, 388, 388);
  EXPECT_EQ(Frame(note).left, 30);
  EXPECT_EQ(Frame(note).top, 210);
  EXPECT_EQ(WindowInnerWidth(11), 388);

  HWND captioned = OpenWindow(12, 40, 40, 150, 100, WindowInvisible);
  PlaceWindow(12, IgnoreValue, IgnoreValue, 160, IgnoreValue);
  EXPECT_EQ(Client(captioned).right, 160);
  EXPECT_EQ(Client(captioned).bottom, 100);

  SetWindowTopmost(11, 1);
  EXPECT_TRUE(GetWindowLongPtrA(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowTopmost(11, 0);
  EXPECT_FALSE(GetWindowLongPtrA(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowTest, BackgroundBrushPaintsAndRedrawsOnlyOnChange) {
  HWND note = OpenWindow(15, 10, 10, 64, 64, 0x80000000u);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(memory, CreateCompatibleBitmap(screen, 64, 64));
  RECT dirty;
  SetWindowBackground(15, 0x007DEDF0);
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
  DeleteObject(SelectObject(memory, previous));
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(WindowTest, RemovalTakesClassAndGadgetsAlongOnce) {
  OpenNote(21);
  ASSERT_NE(GadgetHandle(23), nullptr);
  RemoveWindow(21);
  RemoveWindow(21);  // a second removal finds nothing
  EXPECT_EQ(WindowHandle(21), nullptr);
  EXPECT_FALSE(ClassExists(21));
  EXPECT_EQ(GadgetHandle(23), nullptr);
  EXPECT_EQ(GadgetHandle(20), nullptr);
  EXPECT_EQ(WindowLeft(21) + WindowTop(21) + WindowInnerWidth(21), 0);

  HWND first = OpenWindow(25, 10, 10, 50, 50, 0x90000000u);
  HWND second = OpenWindow(25, 20, 20, 60, 60, 0x90000000u);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(WindowHandle(25), second);
}

TEST_F(WindowTest, AnyNumberWindowIsNamedByTheReturnedHandle) {
  HWND named = OpenWindow(AnyNumber, 10, 10, 50, 50, 0x90000000u);
  auto number = reinterpret_cast<ObjectNumber>(named);
  HWND native = WindowHandle(number);
  ASSERT_NE(native, nullptr);
  EXPECT_NE(native, named);
  PostMessageA(native, WM_CLOSE, 0, 0);
  SeenEvent close{};
  ASSERT_TRUE(AwaitEvent(CloseEvent, &close, 1000));
  EXPECT_EQ(close.window, number);
  EXPECT_TRUE(IsWindow(native));  // closing is the program's decision
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
  EXPECT_NE(OpenWindow(31, 10, 10, 50, 50, 0x90000000u), nullptr);
}

}  // namespace
