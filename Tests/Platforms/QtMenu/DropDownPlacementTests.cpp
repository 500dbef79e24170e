#include "QtMenu/DropDownPlacement.h"

#include <gtest/gtest.h>

namespace CorlaMeetings::Testing {
namespace {

// A 1280 x 1024 screen; `available` is what its panels leave.
TEST(DropDownPlacement, OpensBesideThePanelAndInsideTheScreen) {
  const QSize menu(410, 600);
  const struct {
    const char* name;
    QRect available;
    QPoint anchor;
    QPoint expected;
  } cases[] = {
      // A top panel 27 high, the item near the right end: below the panel, flush right.
      {"top panel", {0, 27, 1280, 997}, {1128, 13}, {870, 27}},
      {"top panel, item at the left", {0, 27, 1280, 997}, {40, 13}, {40, 27}},
      // A bottom panel: above it, whatever the menu's height.
      {"bottom panel", {0, 0, 1280, 990}, {1200, 1010}, {870, 390}},
      {"left panel", {48, 0, 1232, 1024}, {20, 300}, {48, 300}},
      {"right panel", {0, 0, 1232, 1024}, {1250, 300}, {822, 300}},
      // No space reserved (GNOME's top bar through some paths, a floating dock): below the
      // point, or above it where there is no room below.
      {"no panel, upper half", {0, 0, 1280, 1024}, {600, 10}, {600, 10}},
      {"no panel, lower half", {0, 0, 1280, 1024}, {600, 1015}, {600, 415}},
      {"no panel, middle, room neither way", {0, 0, 1280, 1024}, {600, 500}, {600, 424}},
      // Screens side by side: the second starts at x 1280.
      {"second screen", {1280, 30, 1920, 1050}, {3100, 12}, {2790, 30}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dropDownPosition(c.anchor, menu, c.available), c.expected) << c.name;
  }
}

TEST(DropDownPlacement, ALargerMenuStartsAtTheTopLeftOfTheArea) {
  EXPECT_EQ(dropDownPosition({1200, 5}, {410, 2000}, {0, 27, 1280, 997}), QPoint(870, 27));
  EXPECT_EQ(dropDownPosition({1200, 1000}, {1500, 300}, {0, 0, 1280, 990}), QPoint(0, 690));
}

// waybar sends the click's place within the item; some panels send the origin.
TEST(DropDownPlacement, TakesTheAnchorFromThePointerOrThePanelWhenThePointCannotBeRight) {
  const QRect screen(0, 0, 1280, 800);
  const QRect underTopBar(0, 30, 1280, 770);
  const QRect aboveBottomBar(0, 0, 1280, 770);
  const struct {
    const char* name;
    QPoint given;
    std::optional<QPoint> pointer;
    QRect available;
    QPoint expected;
  } cases[] = {
      {"a point on the screen", {1128, 13}, QPoint(1130, 12), underTopBar, {1128, 13}},
      {"a point on the screen, pointer unknown", {1128, 13}, std::nullopt, underTopBar, {1128, 13}},
      {"the origin, X11", {0, 0}, QPoint(1130, 12), underTopBar, {1130, 12}},
      {"item-relative, X11", {8, 15}, QPoint(1262, 15), underTopBar, {1262, 15}},
      {"an item that is at the top-left", {8, 15}, QPoint(10, 14), underTopBar, {8, 15}},
      {"item-relative, top bar known", {8, 15}, std::nullopt, underTopBar, {1279, 29}},
      {"item-relative, bottom bar known", {8, 15}, std::nullopt, aboveBottomBar, {1279, 770}},
      {"item-relative, nothing known", {8, 15}, std::nullopt, screen, {8, 15}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(panelAnchor(c.given, c.pointer, screen, c.available), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
