#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QImage>
#include <QSystemTrayIcon>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/QStringPrinting.h"
#include "Platforms/QtTray/FakeStatusNotifierWatcher.h"
#include "Platforms/QtTray/TrayItemOnBus.h"
#include "QtTray/StatusNotifierTypes.h"
#include "QtTray/TrayIconPainter.h"
#include "QtTray/TrayStatusItem.h"
#include "ui/Menu.h"

namespace CorlaMeetings::Testing {
namespace {

using TrayStatusItemOnBus = TrayItemOnBus;

// Meeting names are text from strangers: one line, plain in the label, escaped in the tool
// tip, whose text panels read as markup.
TEST_F(TrayStatusItemOnBus, RegistersAndShowsTheTitleAsLabelAndTheToolTipAsPanelsReadThem) {
  const QString service = registeredService();
  EXPECT_EQ(item_->presentation(), TrayStatusItem::Presentation::statusNotifierItem);
  EXPECT_EQ(item_->systemTrayIcon(), nullptr);
  // A name of its own, owned by the connection that registered it.
  EXPECT_TRUE(
      service.startsWith(QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid())))
      << service.toStdString();
  EXPECT_EQ(client_.interface()->serviceOwner(service).value(), watcher_->registrations().front().sender);
  item_->button()->setTitle({"Velto <img src=\"https://x.example/t\">\nA & B", StatusState::soon});
  item_->button()->setToolTip("Velto Meetings Reminder");

  const QString plain = QStringLiteral("Velto <img src=\"https://x.example/t\"> A & B");
  const std::vector<std::pair<QString, QVariant>> expected = {
      {"Category", "ApplicationStatus"}, {"Id", "velto"},  {"Status", "Active"},  {"Title", plain},
      {"XAyatanaLabel", plain},          {"IconName", ""}, {"ItemIsMenu", false},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(property(name), value) << name.toStdString();
  // The menu that panels drawing their own read, beside the item.
  EXPECT_EQ(qvariant_cast<QDBusObjectPath>(property("Menu")).path(), "/MenuBar");

  EXPECT_EQ(qvariant_cast<QDBusArgument>(property("ToolTip")).currentSignature(), "(sa(iiay)ss)");
  const auto toolTip = compound<StatusNotifierToolTip>("ToolTip");
  EXPECT_EQ(toolTip.title, "Velto Meetings Reminder");
  EXPECT_EQ(toolTip.description, "Velto &lt;img src=&quot;https://x.example/t&quot;&gt; A &amp; B");

  EXPECT_EQ(qvariant_cast<QDBusArgument>(property("IconPixmap")).currentSignature(), "a(iiay)");
  const StatusNotifierPixmaps pixmaps = compound<StatusNotifierPixmaps>("IconPixmap");
  EXPECT_EQ(pixmaps.size(), qsizetype(kTrayIconSizes.size()));
  for (const StatusNotifierPixmap& pixmap : pixmaps) EXPECT_EQ(pixmap.argb32.size(), pixmap.width * pixmap.height * 4);
}

TEST_F(TrayStatusItemOnBus, AnnouncesANewTitleAndItsIconToThePanelsOnce) {
  item_->button()->setTitle({"Velto", StatusState::brand});
  SignalRecorder recorder(client_, registeredService(), kItemPath, kItemInterface);
  ASSERT_TRUE(recorder.connected);
  const QByteArray brandIcon = compound<StatusNotifierPixmaps>("IconPixmap").value(0).argb32;
  recorder.received.clear();

  item_->button()->setTitle({"\u25CF Standup", StatusState::live});
  item_->button()->setTitle({"\u25CF Standup", StatusState::live});
  ASSERT_TRUE(runEventsUntil([&] { return recorder.received.size() >= 4; }));
  runEventsFor(50);

  std::vector<QString> names;
  for (const QDBusMessage& signal : recorder.received) {
    names.push_back(signal.member());
    if (signal.member() == "XAyatanaNewLabel") {
      EXPECT_EQ(signal.arguments(), (QVariantList{"\u25CF Standup", ""}));
    }
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<QString>{"NewIcon", "NewTitle", "NewToolTip", "XAyatanaNewLabel"}));
  EXPECT_EQ(property("XAyatanaLabel"), "\u25CF Standup");
  EXPECT_EQ(item_->iconState(), StatusState::live);
  EXPECT_NE(compound<StatusNotifierPixmaps>("IconPixmap").value(0).argb32, brandIcon);
}

TEST_F(TrayStatusItemOnBus, OpensTheMenuWherePanelsClick) {
  const auto click = [&](const QString& method, int x, int y) {
    return call(kItemInterface, method, {x, y}).type() == QDBusMessage::ReplyMessage;
  };

  EXPECT_TRUE(click("Activate", 40, 2));  // nothing to open before the menu is attached
  auto menu = std::make_shared<Menu>();
  item_->setMenu(menu);
  EXPECT_TRUE(click("Activate", 1210, 14));
  EXPECT_TRUE(click("SecondaryActivate", 1, 1));
  EXPECT_TRUE(click("ContextMenu", 1215, 18));
  runEventsFor(20);

  ASSERT_EQ(opened_.size(), 2u);
  EXPECT_EQ(opened_[0].first, menu);
  EXPECT_EQ(opened_[0].second, QPoint(1210, 14));
  EXPECT_EQ(opened_[1].second, QPoint(1215, 18));
}

// A panel's watcher may start after us, or restart under us.
TEST_F(TrayStatusItemOnBus, FallsBackToQtsTrayIconUntilAWatcherComes) {
  item_.reset();
  watcher_.reset();
  makeItem();
  item_->button()->setTitle({"Velto <b>Board</b>", StatusState::soon});
  item_->button()->setToolTip("Velto Meetings Reminder");

  ASSERT_EQ(item_->presentation(), TrayStatusItem::Presentation::systemTrayIcon);
  QSystemTrayIcon* icon = item_->systemTrayIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->icon().isNull());
  EXPECT_TRUE(icon->toolTip().contains("Velto Meetings Reminder"));
  EXPECT_TRUE(icon->toolTip().contains("Velto &lt;b&gt;Board&lt;/b&gt;")) << icon->toolTip().toStdString();
  auto menu = std::make_shared<Menu>();
  item_->setMenu(menu);
  emit icon->activated(QSystemTrayIcon::Trigger);
  emit icon->activated(QSystemTrayIcon::DoubleClick);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].first, menu);
  EXPECT_EQ(opened_[0].second, QCursor::pos());

  startWatcher();
  const QString service = registeredService();
  EXPECT_EQ(item_->presentation(), TrayStatusItem::Presentation::statusNotifierItem);
  EXPECT_EQ(item_->systemTrayIcon(), nullptr);
  EXPECT_EQ(property("XAyatanaLabel"), "Velto <b>Board</b>");

  watcher_.reset();
  startWatcher();
  EXPECT_EQ(registeredService(), service);
}

// On panels that show no text the icon alone tells the state.
TEST(TrayIcon, DrawsEachStateApart) {
  for (int size : kTrayIconSizes) {
    const QImage brand = paintTrayIcon(StatusState::brand, size);
    EXPECT_EQ(brand.size(), QSize(size, size));
    for (StatusState state : {StatusState::noAccess, StatusState::soon, StatusState::live}) {
      EXPECT_NE(paintTrayIcon(state, size), brand) << size << " px";
    }
  }
  EXPECT_NE(paintTrayIcon(StatusState::noAccess, 22), paintTrayIcon(StatusState::soon, 22));
}

// Panels read each pixel as four bytes, alpha first, whatever the machine's byte order.
TEST(StatusNotifierPixmap, IsArgbInNetworkByteOrderRowByRow) {
  QImage image(2, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgba(0x11, 0x22, 0x33, 0xff));
  image.setPixel(1, 0, qRgba(0x44, 0x55, 0x66, 0x80));

  StatusNotifierPixmap pixmap = toStatusNotifierPixmap(image);

  EXPECT_EQ(pixmap.width, 2);
  EXPECT_EQ(pixmap.height, 1);
  EXPECT_EQ(pixmap.argb32.toHex(' '), QByteArray("ff 11 22 33 80 44 55 66"));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
