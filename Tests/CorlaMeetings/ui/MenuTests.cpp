#include "ui/Menu.h"

#include <gtest/gtest.h>

#include <string>

namespace CorlaMeetings::Testing {
namespace {

// The drop-down and the panel's own menu both follow one model.
TEST(Menu, EveryObserverHearsEveryChangeUntilItIsRemoved) {
  Menu menu;
  std::string heard;
  const Menu::ObserverId first = menu.addChangeObserver([&] { heard += 'a'; });
  menu.addChangeObserver([&] { heard += 'b'; });
  menu.setChangeObserver([&] { heard += 'c'; });
  menu.addItem(MenuItem::separator());
  EXPECT_EQ(heard, "abc");

  heard.clear();
  menu.removeChangeObserver(first);
  menu.setChangeObserver([&] { heard += 'd'; });  // replaces only what the last one set
  menu.removeAllItems();
  EXPECT_EQ(heard, "bd");
}

// An observer going away while the others are being told: they still hear every change,
// and one removed before its turn is not called.
TEST(Menu, ObserversMayRemoveThemselvesOrOthersWhileBeingTold) {
  Menu menu;
  int first = 0, second = 0, third = 0;
  Menu::ObserverId firstId = 0, thirdId = 0;
  firstId = menu.addChangeObserver([&] {
    ++first;
    menu.removeChangeObserver(firstId);
  });
  menu.addChangeObserver([&] {
    ++second;
    menu.removeChangeObserver(thirdId);
  });
  thirdId = menu.addChangeObserver([&] { ++third; });
  menu.addItem(MenuItem::separator());
  menu.addItem(MenuItem::separator());
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(third, 0);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
