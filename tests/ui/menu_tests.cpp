#include <string>

#include "menus.h"
#include "ui_fixture.h"

namespace {

// Labels of a menu's items; "-" for a separator, ">" before a submenu's label.
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

// 1, 2, separator, a submenu with 3, 4 and a nested submenu with 7, then 6.
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
  EndSubmenu();  // none open: nothing changes
  return menu;
}

TEST(MenuTest, SubmenusNestAndCheckMarksReachIntoThem) {
  HMENU menu = BuildNested(70);
  EXPECT_EQ(ItemsOf(menu), (std::vector<std::string>{"one", "two", "-", ">Edit", "six"}));
  HMENU edit = GetSubMenu(menu, 3);
  EXPECT_EQ(ItemsOf(edit), (std::vector<std::string>{"three", "four", ">Size"}));
  EXPECT_EQ(ItemsOf(GetSubMenu(edit, 2)), (std::vector<std::string>{"seven"}));

  SetItemChecked(70, 7, 1);
  SetItemChecked(70, 2, 1);
  EXPECT_EQ(IsItemChecked(70, 7), 1);
  SetItemChecked(70, 7, 0);
  EXPECT_EQ(IsItemChecked(70, 7), 0);
  EXPECT_EQ(IsItemChecked(70, 2), 1);
  EXPECT_EQ(IsItemChecked(70, 99), 0);
  EXPECT_EQ(IsItemChecked(4711, 2), 0);

  HMENU replacement = NewPopupMenu(70);
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_FALSE(IsMenu(edit));
  EXPECT_EQ(IsItemChecked(70, 2), 0);
  DiscardMenu(70);
  EXPECT_FALSE(IsMenu(replacement));
}

TEST(MenuTest, NestingDeeperThanSixtyFourIsRefused) {
  HMENU menu = NewPopupMenu(73);
  for (int level = 0; level < 65; ++level) BeginSubmenu("deeper");  // the 65th appends nothing
  AddMenuItem(9, "deepest");
  HMENU at = menu;
  for (int level = 0; level < 64; ++level) {
    ASSERT_EQ(GetMenuItemCount(at), 1) << level;
    at = GetSubMenu(at, 0);
  }
  EXPECT_EQ(ItemsOf(at), (std::vector<std::string>{"deepest"}));
  for (int level = 0; level < 70; ++level) EndSubmenu();
  AddMenuItem(10, "top");
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  DiscardMenu(73);
}

}  // namespace
