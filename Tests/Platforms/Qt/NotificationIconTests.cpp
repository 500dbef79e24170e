#include "Qt/NotificationIcon.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <vector>

#include "Platforms/Qt/QStringPrinting.h"

namespace CorlaMeetings::Testing {
namespace {

// Lays out `relativePath` under `root` as an empty file; its absolute path.
QString placeFile(const QTemporaryDir& root, const QString& relativePath) {
  const QString path = root.filePath(relativePath);
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  return path;
}

QString fileUrl(const QString& path) { return QUrl::fromLocalFile(path).toString(); }

TEST(NotificationIcon, NamesTheInstalledIconElseTheNearestFile) {
  QTemporaryDir root;
  placeFile(root, "usr/share/icons/hicolor/48x48/apps/velto.png");
  placeFile(root, "usr/share/icons/hicolor/scalable/apps/other.svg");
  const QString besideProgram = placeFile(root, "opt/velto/share/icons/hicolor/scalable/apps/velto.svg");
  const QString source = placeFile(root, "src/data/velto.svg");
  const QString home = root.filePath("home/.local/share");
  const QString usrShare = root.filePath("usr/share");
  const QString optBin = root.filePath("opt/velto/bin");
  const QString elsewhere = root.filePath("build/bin");
  const QString noSource = root.filePath("src/data/missing.svg");

  struct Case {
    IconLocations locations;
    QString icon;
  };
  const std::vector<Case> cases = {
      {{{home, usrShare}, optBin, source}, "velto"},  // the theme has it: servers find it by name
      {{{home}, optBin, source}, fileUrl(besideProgram)},
      {{{home}, elsewhere, source}, fileUrl(source)},
      {{{home}, elsewhere, noSource}, ""},
      {{{}, "", ""}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(notificationIcon(c.locations), c.icon) << c.locations.executableDirectory.toStdString();
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
