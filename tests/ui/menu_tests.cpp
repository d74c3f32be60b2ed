#include "ui_fixture.h"

#include <string>

#include "events.h"
#include "menus.h"
#include "windows.h"

namespace {

// The labels (or "-" for a separator, ">" before a submenu's label) of a menu's items.
std::vector<std::string> ItemsOf(HMENU menu) {
  std::vector<std::string> items;
  for (int at = 0; at < GetMenuItemCount(menu); ++at) {
    char label[64] = "";
    GetMenuStringA(menu, static_cast<UINT>(at), label, sizeof label, MF_BYPOSITION);
    if (GetMenuState(menu, static_cast<UINT>(at), MF_BYPOSITION) & MF_SEPARATOR) items.push_back("-");
    else items.push_back(GetSubMenu(menu, at) ? std::string(">") + label : label);
  }
  return items;
}

// Item 1, item 2, separator, a submenu with 3, 4 and a nested submenu with 7, then item 6.
HMENU BuildNested(ObjectNumber number) {
  HMENU menu = NewPopupMenu(number);
  AddMenuItem(1, "one");
  AddMenuItem(2, "two");
  AddMenuSeparator();
  BeginSubmenu("Edit");
  AddMenuItem(3, "three");
  AddMenuItem(4, "four");
  BeginSubmenu("Size");
  AddMenuItem(7, "seven");
  EndSubmenu();
  EndSubmenu();
  AddMenuItem(6, "six");
  return menu;
}

using MenuTest = LayerTest;

TEST_F(MenuTest, SubmenusNestAndCloseBackToTheirParent) {
  HMENU menu = BuildNested(70);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(ItemsOf(menu), (std::vector<std::string>{"one", "two", "-", ">Edit", "six"}));
  HMENU edit = GetSubMenu(menu, 3);
  EXPECT_EQ(ItemsOf(edit), (std::vector<std::string>{"three", "four", ">Size"}));
  EXPECT_EQ(ItemsOf(GetSubMenu(edit, 2)), (std::vector<std::string>{"seven"}));
  EXPECT_EQ(GetMenuItemID(menu, 4), 6u);
  EndSubmenu();  // none open: nothing changes
  AddMenuItem(8, "eight");
  EXPECT_EQ(GetMenuItemCount(menu), 6);
  DiscardMenu(70);
}

TEST_F(MenuTest, CheckMarksReachIntoSubmenus) {
  BuildNested(71);
  EXPECT_EQ(IsItemChecked(71, 7), 0);
  SetItemChecked(71, 7, 1);
  EXPECT_EQ(IsItemChecked(71, 7), 1);
  SetItemChecked(71, 2, 1);
  SetItemChecked(71, 7, 0);
  EXPECT_EQ(IsItemChecked(71, 7), 0);
  EXPECT_EQ(IsItemChecked(71, 2), 1);
  EXPECT_EQ(IsItemChecked(71, 99), 0);
  EXPECT_EQ(IsItemChecked(4711, 2), 0);
  SetItemChecked(4711, 2, 1);  // no such menu: nothing happens
  DiscardMenu(71);
  EXPECT_EQ(IsItemChecked(71, 2), 0);
}

TEST_F(MenuTest, NewMenuUnderAUsedNumberDestroysTheOldOne) {
  HMENU first = BuildNested(72);
  HMENU firstSubmenu = GetSubMenu(first, 3);
  HMENU second = NewPopupMenu(72);
  AddMenuItem(5, "five");
  EXPECT_FALSE(IsMenu(first));
  EXPECT_FALSE(IsMenu(firstSubmenu));
  EXPECT_EQ(ItemsOf(second), (std::vector<std::string>{"five"}));
  DiscardMenu(72);
  EXPECT_FALSE(IsMenu(second));
  DiscardMenu(72);
}

TEST_F(MenuTest, NestingDeeperThanSixtyFourIsRefused) {
  HMENU menu = NewPopupMenu(73);
  for (int level = 0; level < 64; ++level) BeginSubmenu("deeper");
  BeginSubmenu("too deep");  // refused: nothing appended, the 64th stays current
  AddMenuItem(9, "deepest");
  HMENU at = menu;
  for (int level = 0; level < 64; ++level) {
    ASSERT_EQ(GetMenuItemCount(at), 1) << level;
    at = GetSubMenu(at, 0);
    ASSERT_NE(at, nullptr);
  }
  EXPECT_EQ(ItemsOf(at), (std::vector<std::string>{"deepest"}));
  for (int level = 0; level < 70; ++level) EndSubmenu();
  AddMenuItem(10, "top");
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  DiscardMenu(73);
}

TEST_F(MenuTest, AnyNumberMenuIsNamedByTheReturnedHandle) {
  HMENU named = NewPopupMenu(AnyNumber);
  AddMenuItem(11, "eleven");
  auto number = reinterpret_cast<ObjectNumber>(named);
  SetItemChecked(number, 11, 1);
  EXPECT_EQ(IsItemChecked(number, 11), 1);
  DiscardMenu(number);
  EXPECT_EQ(IsItemChecked(number, 11), 0);
}

}  // namespace
