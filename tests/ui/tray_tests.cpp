#include <algorithm>
#include <string>

#include "events.h"
#include "tray.h"
#include "ui_fixture.h"
#include "window_layer.h"

namespace {

// Asks the shell itself whether it knows the icon: changing an unknown icon fails.
bool ShellKnows(HWND window, UINT identifier) {
  NOTIFYICONDATAA data = TrayIconData(window, identifier, NIF_TIP, "probe");
  return Shell_NotifyIconA(NIM_MODIFY, &data);
}

HICON SomeIcon() { return LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); }  // IDI_APPLICATION

std::vector<HWND> ShellIconWindows() {
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);  // Wine's own tray window
  return tray ? ChildrenOf(tray) : std::vector<HWND>{};
}

std::vector<std::int32_t> TrayClicksWithin(int timeoutMs, std::size_t enough) {
  std::vector<std::int32_t> subtypes;
  DWORD start = GetTickCount();
  while (subtypes.size() < enough && GetTickCount() - start < static_cast<DWORD>(timeoutMs)) {
    if (NextEvent(20) == TrayEvent) subtypes.push_back(LastSubtype());
  }
  return subtypes;
}

// Under Wine without a desktop tray, the shell shows icons in a window of its own and hiding
// it waits 2 s for a window manager; an icon kept for the whole suite keeps it shown.
class TrayTest : public LayerTest {
 protected:
  static void SetUpTestSuite() {
    keeper = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA data = TrayIconData(keeper, 99, NIF_ICON, nullptr);
    data.hIcon = SomeIcon();
    Shell_NotifyIconA(NIM_ADD, &data);
  }
  static void TearDownTestSuite() {
    NOTIFYICONDATAA data = TrayIconData(keeper, 99, 0, nullptr);
    Shell_NotifyIconA(NIM_DELETE, &data);
    DestroyWindow(keeper);
  }
  static HWND keeper;
};
HWND TrayTest::keeper;

TEST_F(TrayTest, IconsComeAreReplacedAndGo) {
  HWND first = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  HWND second = OpenWindow(1001, 0, 0, 0, 0, WindowInvisible);
  EXPECT_EQ(TrayIconAdd(1, first, nullptr), 0);
  EXPECT_EQ(TrayIconAdd(1, nullptr, SomeIcon()), 0);
  EXPECT_FALSE(ShellKnows(first, 1));

  ASSERT_NE(TrayIconAdd(1, first, SomeIcon()), 0);
  EXPECT_NE(TrayIconSetTip(1, "Tackpad"), 0);
  EXPECT_EQ(TrayIconSetTip(2, "never added"), 0);
  ASSERT_NE(TrayIconAdd(1, second, SomeIcon()), 0);
  EXPECT_FALSE(ShellKnows(first, 1));
  EXPECT_TRUE(ShellKnows(second, 1));
  TrayIconRemove(1);
  EXPECT_FALSE(ShellKnows(second, 1));
  EXPECT_EQ(TrayIconSetTip(1, "gone"), 0);

  ASSERT_NE(TrayIconAdd(5, first, SomeIcon()), 0);
  std::intptr_t listed = TrayIconAdd(AnyNumber, first, SomeIcon());
  EXPECT_NE(TrayIconSetTip(listed, "listed"), 0);
  EndTray();
  EXPECT_FALSE(ShellKnows(first, 5));
  EXPECT_FALSE(ShellKnows(first, static_cast<UINT>(listed)));
}

TEST_F(TrayTest, RealClicksOnTheIconComeBackAsTrayEvents) {
  HWND owner = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  std::vector<HWND> before = ShellIconWindows();
  ASSERT_NE(TrayIconAdd(1, owner, SomeIcon()), 0);
  HWND ours = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    for (HWND icon : ShellIconWindows()) {
      if (std::find(before.begin(), before.end(), icon) == before.end()) ours = icon;
    }
    return ours != nullptr;
  }));
  RECT place;
  GetWindowRect(ours, &place);
  RunXdotool("mousemove " + std::to_string((place.left + place.right) / 2) + " " +
             std::to_string((place.top + place.bottom) / 2));
  EXPECT_TRUE(AwaitEvent(TrayRelayMessage));  // a move over the icon stays raw

  RunXdotool("click 1");
  SeenEvent click{};
  ASSERT_TRUE(AwaitEvent(TrayEvent, &click));
  EXPECT_EQ(click.subtype, TrayLeftClick);
  EXPECT_EQ(click.item, 1);
  EXPECT_EQ(click.window, 1000);
  RunXdotool("click 3");
  EXPECT_EQ(TrayClicksWithin(5000, 1), (std::vector<std::int32_t>{TrayRightClick}));
  RunXdotool("click --repeat 2 --delay 50 1");
  EXPECT_EQ(TrayClicksWithin(5000, 3),
            (std::vector<std::int32_t>{TrayLeftClick, TrayLeftDoubleClick, TrayLeftClick}));
  RunXdotool("mousemove 600 600");
  TrayIconRemove(1);
}

TEST(TrayRecordTest, TooltipKeepsItsFirstSixtyThreeBytes) {
  std::string seventy;
  for (int at = 0; at < 70; ++at) seventy += static_cast<char>('A' + at % 26);
  NOTIFYICONDATAA data = TrayIconData(nullptr, 1, NIF_TIP, seventy.c_str());
  EXPECT_EQ(data.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(std::string(data.szTip), seventy.substr(0, 63));
}

}  // namespace
