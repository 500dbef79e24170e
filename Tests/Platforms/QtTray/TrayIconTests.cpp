#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <string>
#include <vector>

#include "QtTray/StatusNotifierTypes.h"
#include "QtTray/TrayIconPainter.h"
#include "QtTray/TrayIconState.h"

namespace CorlaMeetings {
namespace {

TEST(TrayIconStateForTitle, ReadsTheStateFromTheTitle) {
  const std::vector<std::pair<std::string, TrayIconState>> cases = {
      {"Velto", TrayIconState::brand},
      {"Velto!", TrayIconState::alert},
      {"Velto Design review", TrayIconState::soon},
      {"Velto ", TrayIconState::soon},  // a name that cleaned to nothing
      {"Velto Velto!", TrayIconState::soon},
      {"\u25CF Design review", TrayIconState::live},
      {"\u25CF ", TrayIconState::live},
      {"\u25CF Velto!", TrayIconState::live},
      {"", TrayIconState::brand},
      {"Veltoo", TrayIconState::brand},
      {"\u2022 Design review", TrayIconState::brand},  // a bullet, not the dot
  };
  for (const auto& [title, state] : cases) EXPECT_EQ(trayIconStateForTitle(title), state) << '"' << title << '"';
}

TEST(StatusNotifierPixmap, IsArgbInNetworkByteOrderRowByRow) {
  QImage image(2, 2, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgba(0x11, 0x22, 0x33, 0xff));
  image.setPixel(1, 0, qRgba(0x44, 0x55, 0x66, 0x80));
  image.setPixel(0, 1, qRgba(0x77, 0x88, 0x99, 0x00));
  image.setPixel(1, 1, qRgba(0xaa, 0xbb, 0xcc, 0x01));

  StatusNotifierPixmap pixmap = toStatusNotifierPixmap(image);

  EXPECT_EQ(pixmap.width, 2);
  EXPECT_EQ(pixmap.height, 2);
  EXPECT_EQ(pixmap.argb32.toHex(' '), QByteArray("ff 11 22 33 80 44 55 66 00 77 88 99 01 aa bb cc"));
}

bool hasPixel(const QImage& image, QColor colour) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == colour) return true;
    }
  }
  return false;
}

TEST(TrayIcon, TellsTheFourStatesApartAtEverySize) {
  const QColor blue(46, 120, 255);
  const QColor lime(156, 255, 48);
  const QColor red(255, 59, 48);
  struct Case {
    TrayIconState state;
    bool lime;
    bool red;
  };
  const std::vector<Case> cases = {
      {TrayIconState::brand, false, false},
      {TrayIconState::alert, false, true},
      {TrayIconState::soon, false, false},
      {TrayIconState::live, true, false},
  };
  for (int size : kTrayIconSizes) {
    std::vector<QImage> images;
    for (const Case& c : cases) {
      QImage image = paintTrayIcon(c.state, size);
      SCOPED_TRACE(testing::Message() << "state " << static_cast<int>(c.state) << ", " << size << " px");
      ASSERT_EQ(image.size(), QSize(size, size));
      EXPECT_EQ(image.pixelColor(0, size - 1).alpha(), 0) << "the background shows through";
      EXPECT_TRUE(hasPixel(image, blue));
      EXPECT_EQ(hasPixel(image, lime), c.lime);
      EXPECT_EQ(hasPixel(image, red), c.red);
      images.push_back(image);
    }
    for (std::size_t i = 0; i < images.size(); ++i) {
      for (std::size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]) << size << " px";
    }
  }
}

}  // namespace
}  // namespace CorlaMeetings
