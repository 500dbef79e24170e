#include <gtest/gtest.h>

#include "WindowSystem.h"

namespace CorlaMeetings::Testing {
namespace {

TEST(WindowSystem, PicksAPlatformWhereTheDropDownCanBePlaced) {
  const struct {
    const char* name;
    Session session;
    const char* expected;
  } cases[] = {
      {"the user's choice wins", {"wayland", true, true, false}, "wayland"},
      {"an X session", {"", true, false, false}, "xcb"},
      {"GNOME or Plasma on Wayland, with XWayland", {"", true, true, false}, "xcb"},
      {"sway, with XWayland", {"", true, true, true}, "wayland"},
      {"Wayland only", {"", false, true, false}, "wayland"},
      {"i3 on X11 (the same IPC, no Wayland)", {"", true, false, true}, "xcb"},
      {"no display", {"", false, false, false}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(trayPlatform(c.session), c.expected) << c.name;
}

// Qt aborts when its platform cannot start; the check must tell, not take Velto down.
TEST(WindowSystem, TellsWhetherAPlatformStartsWithoutDyingOfIt) {
  EXPECT_TRUE(platformStarts("offscreen"));
  EXPECT_FALSE(platformStarts("no-such-platform"));
  EXPECT_FALSE(platformStarts(""));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
