#include "ui_fixture.h"

#include <cstring>
#include <string>

#include "tray.h"
#include "windows.h"

namespace {

// Asks the shell itself whether it knows the icon: changing an unknown icon fails.
bool ShellKnows(HWND window, UINT identifier) {
  NOTIFYICONDATAA data = TrayIconData(window, identifier, NIF_TIP, "probe");
  return Shell_NotifyIconA(NIM_MODIFY, &data);
}

HICON SomeIcon() { return LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); }  // IDI_APPLICATION

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

TEST_F(TrayTest, IconComesAndGoes) {
  HWND owner = OpenWindow(1000, 0, 0, 0, 0, WindowInvisible);
  EXPECT_EQ(TrayIconAdd(1, owner, nullptr), 0);
  EXPECT_EQ(TrayIconAdd(1, nullptr, SomeIcon()), 0);
  EXPECT_FALSE(ShellKnows(owner, 1));

  ASSERT_NE(TrayIconAdd(1, owner, SomeIcon()), 0);
  EXPECT_TRUE(ShellKnows(owner, 1));
  EXPECT_NE(TrayIconSetTip(1, "Tackpad"), 0);
  EXPECT_EQ(TrayIconSetTip(2, "never added"), 0);
  EXPECT_EQ(TrayIconSetTip(1, nullptr), 0);

  TrayIconRemove(1);
  EXPECT_FALSE(ShellKnows(owner, 1));
  EXPECT_EQ(TrayIconSetTip(1, "gone"), 0);
  TrayIconRemove(1);
}

TEST_F(TrayTest, AddingTheSameNumberReplacesTheIcon) {
  HWND first = OpenWindow(1001, 0, 0, 0, 0, WindowInvisible);
  HWND second = OpenWindow(1002, 0, 0, 0, 0, WindowInvisible);
  ASSERT_NE(TrayIconAdd(1, first, SomeIcon()), 0);
  ASSERT_NE(TrayIconAdd(1, second, SomeIcon()), 0);
  EXPECT_FALSE(ShellKnows(first, 1));
  EXPECT_TRUE(ShellKnows(second, 1));
  TrayIconRemove(1);
}

TEST_F(TrayTest, EndTrayLeavesNoIconBehind) {
  HWND owner = OpenWindow(1003, 0, 0, 0, 0, WindowInvisible);
  ASSERT_NE(TrayIconAdd(1, owner, SomeIcon()), 0);
  ASSERT_NE(TrayIconAdd(5, owner, SomeIcon()), 0);
  std::intptr_t listed = TrayIconAdd(AnyNumber, owner, SomeIcon());
  ASSERT_NE(listed, 0);
  EXPECT_NE(TrayIconSetTip(listed, "listed"), 0);
  EndTray();
  EXPECT_FALSE(ShellKnows(owner, 1));
  EXPECT_FALSE(ShellKnows(owner, 5));
  EXPECT_FALSE(ShellKnows(owner, static_cast<UINT>(listed)));
  EXPECT_EQ(TrayIconSetTip(5, "gone"), 0);
}

TEST(TrayRecordTest, TooltipKeepsItsFirstSixtyThreeBytes) {
  std::string seventy(70, 'x');
  for (std::size_t at = 0; at < seventy.size(); ++at) seventy[at] = static_cast<char>('A' + at % 26);
  NOTIFYICONDATAA data = TrayIconData(nullptr, 1, NIF_TIP, seventy.c_str());
  EXPECT_EQ(data.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(std::string(data.szTip), seventy.substr(0, 63));
}

}  // namespace
