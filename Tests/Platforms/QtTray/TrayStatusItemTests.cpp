#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/PrivateSessionBus.h"
#include "Platforms/Qt/QStringPrinting.h"
#include "Platforms/QtTray/BusCalls.h"
#include "Platforms/QtTray/FakeStatusNotifierWatcher.h"
#include "QtTray/StatusNotifierTypes.h"
#include "QtTray/TrayStatusItem.h"
#include "ui/Menu.h"

namespace CorlaMeetings {
namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

class TrayStatusItemOnBus : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon did not start";
    registerStatusNotifierTypes();
  }

  void startWatcher() {
    watcher_ = std::make_unique<FakeStatusNotifierWatcher>(bus_.connect());
    ASSERT_TRUE(watcher_->isRegistered());
  }

  void makeItem() {
    item_ = std::make_unique<TrayStatusItem>(
        bus_.connect(), [this](std::shared_ptr<Menu> menu, QPoint at) { opened_.emplace_back(std::move(menu), at); });
  }

  // The service the item registered with the watcher, once it has.
  QString registeredService(std::size_t count = 1) {
    EXPECT_TRUE(runEventsUntil([&] { return watcher_->registrations().size() >= count; }));
    return watcher_->registrations().empty() ? QString() : watcher_->registrations().back().service;
  }

  QVariant property(const QString& name) {
    return readProperty(client_, registeredService(), kItemPath, kItemInterface, name);
  }

  QDBusMessage click(const QString& method, int x, int y) {
    return callMethod(client_, registeredService(), kItemPath, kItemInterface, method, {x, y});
  }

  PrivateSessionBus bus_;
  QDBusConnection client_ = bus_.connect();
  std::unique_ptr<FakeStatusNotifierWatcher> watcher_;
  std::unique_ptr<TrayStatusItem> item_;
  std::vector<std::pair<std::shared_ptr<Menu>, QPoint>> opened_;
};

TEST_F(TrayStatusItemOnBus, RegistersWithTheWatcherUnderANameOfItsOwn) {
  startWatcher();
  makeItem();

  QString service = registeredService();
  EXPECT_EQ(item_->presentation(), TrayStatusItem::Presentation::statusNotifierItem);
  EXPECT_EQ(item_->systemTrayIcon(), nullptr);
  QRegularExpression expected(
      QStringLiteral("^org\\.kde\\.StatusNotifierItem-%1-[0-9]+$").arg(QCoreApplication::applicationPid()));
  EXPECT_TRUE(expected.match(service).hasMatch()) << service.toStdString();
  EXPECT_EQ(client_.interface()->serviceOwner(service).value(), watcher_->registrations().front().sender);
}

TEST_F(TrayStatusItemOnBus, ShowsTheTitleAsLabelAndTheToolTipAsPanelsReadThem) {
  startWatcher();
  makeItem();
  item_->button()->setTitle("Velto Design review");
  item_->button()->setToolTip("Velto Meetings Reminder");

  const std::vector<std::pair<QString, QVariant>> expected = {
      {QStringLiteral("Category"), QStringLiteral("ApplicationStatus")},
      {QStringLiteral("Id"), QStringLiteral("velto")},
      {QStringLiteral("Status"), QStringLiteral("Active")},
      {QStringLiteral("Title"), QStringLiteral("Velto Design review")},
      {QStringLiteral("XAyatanaLabel"), QStringLiteral("Velto Design review")},
      {QStringLiteral("IconName"), QString()},
      {QStringLiteral("ItemIsMenu"), false},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(property(name), value) << name.toStdString();
  EXPECT_EQ(qvariant_cast<QDBusObjectPath>(property(QStringLiteral("Menu"))).path(), QStringLiteral("/NO_DBUSMENU"));

  QDBusArgument toolTipArgument = qvariant_cast<QDBusArgument>(property(QStringLiteral("ToolTip")));
  EXPECT_EQ(toolTipArgument.currentSignature(), QStringLiteral("(sa(iiay)ss)"));
  StatusNotifierToolTip toolTip = qdbus_cast<StatusNotifierToolTip>(toolTipArgument);
  EXPECT_EQ(toolTip.title, QStringLiteral("Velto Meetings Reminder"));
  EXPECT_EQ(toolTip.description, QStringLiteral("Velto Design review"));

  QDBusArgument iconArgument = qvariant_cast<QDBusArgument>(property(QStringLiteral("IconPixmap")));
  EXPECT_EQ(iconArgument.currentSignature(), QStringLiteral("a(iiay)"));
  StatusNotifierPixmaps pixmaps = qdbus_cast<StatusNotifierPixmaps>(iconArgument);
  std::vector<int> sizes;
  for (const StatusNotifierPixmap& pixmap : pixmaps) {
    EXPECT_EQ(pixmap.width, pixmap.height);
    EXPECT_EQ(pixmap.argb32.size(), pixmap.width * pixmap.height * 4);
    sizes.push_back(pixmap.width);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 22, 24, 32, 48}));
}

TEST_F(TrayStatusItemOnBus, AnnouncesANewTitleToThePanelsOnce) {
  startWatcher();
  makeItem();
  item_->button()->setTitle("Velto");
  SignalRecorder recorder(client_, registeredService(), kItemPath, kItemInterface);
  ASSERT_TRUE(recorder.isConnected());
  runEventsFor(50);
  recorder.received.clear();

  item_->button()->setTitle("\u25CF Standup");
  item_->button()->setTitle("\u25CF Standup");
  ASSERT_TRUE(runEventsUntil([&] { return recorder.received.size() >= 4; }));
  runEventsFor(50);

  std::vector<QString> names = recorder.names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("NewIcon"), QStringLiteral("NewTitle"),
                                         QStringLiteral("NewToolTip"), QStringLiteral("XAyatanaNewLabel")}));
  for (const QDBusMessage& signal : recorder.received) {
    if (signal.member() != QStringLiteral("XAyatanaNewLabel")) continue;
    EXPECT_EQ(signal.arguments(), (QVariantList{QStringLiteral("\u25CF Standup"), QString()}));
  }
  EXPECT_EQ(property(QStringLiteral("XAyatanaLabel")), QStringLiteral("\u25CF Standup"));
}

TEST_F(TrayStatusItemOnBus, KeepsAMeetingNameOneLineOfPlainText) {
  startWatcher();
  makeItem();
  item_->button()->setTitle("Velto <img src=\"https://x.example/t\">\nA & B");

  EXPECT_EQ(property(QStringLiteral("XAyatanaLabel")), QStringLiteral("Velto <img src=\"https://x.example/t\"> A & B"));
  StatusNotifierToolTip toolTip =
      qdbus_cast<StatusNotifierToolTip>(qvariant_cast<QDBusArgument>(property(QStringLiteral("ToolTip"))));
  EXPECT_EQ(toolTip.description, QStringLiteral("Velto &lt;img src=&quot;https://x.example/t&quot;&gt; A &amp; B"));
}

TEST_F(TrayStatusItemOnBus, OpensTheMenuWherePanelsClick) {
  startWatcher();
  makeItem();

  // Nothing to open before the menu is attached.
  EXPECT_EQ(click(QStringLiteral("Activate"), 40, 2).type(), QDBusMessage::ReplyMessage);
  runEventsFor(20);
  EXPECT_TRUE(opened_.empty());

  auto menu = std::make_shared<Menu>();
  item_->setMenu(menu);
  EXPECT_EQ(click(QStringLiteral("Activate"), 1210, 14).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(click(QStringLiteral("SecondaryActivate"), 1, 1).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(click(QStringLiteral("ContextMenu"), 1215, 18).type(), QDBusMessage::ReplyMessage);
  ASSERT_TRUE(runEventsUntil([&] { return opened_.size() >= 2; }));
  runEventsFor(20);

  ASSERT_EQ(opened_.size(), 2u);
  EXPECT_EQ(opened_[0].first, menu);
  EXPECT_EQ(opened_[0].second, QPoint(1210, 14));
  EXPECT_EQ(opened_[1].second, QPoint(1215, 18));
}

TEST_F(TrayStatusItemOnBus, IconShowsTheStateOfTheTitle) {
  startWatcher();
  makeItem();
  const std::vector<std::pair<std::string, TrayIconState>> titles = {
      {"Velto!", TrayIconState::alert},
      {"Velto Design review", TrayIconState::soon},
      {"\u25CF Design review", TrayIconState::live},
      {"Velto", TrayIconState::brand},
  };
  std::vector<QByteArray> icons;
  for (const auto& [title, state] : titles) {
    item_->button()->setTitle(title);
    EXPECT_EQ(item_->iconState(), state) << title;
    StatusNotifierPixmaps pixmaps =
        qdbus_cast<StatusNotifierPixmaps>(qvariant_cast<QDBusArgument>(property(QStringLiteral("IconPixmap"))));
    icons.push_back(pixmaps.isEmpty() ? QByteArray() : pixmaps.first().argb32);
  }
  for (std::size_t i = 0; i < icons.size(); ++i) {
    for (std::size_t j = i + 1; j < icons.size(); ++j) {
      EXPECT_NE(icons[i], icons[j]) << titles[i].first << " / " << titles[j].first;
    }
  }
}

TEST_F(TrayStatusItemOnBus, FallsBackToQtsTrayIconWithoutAWatcher) {
  makeItem();
  item_->button()->setTitle("Velto <b>Board</b>");
  item_->button()->setToolTip("Velto Meetings Reminder");

  ASSERT_EQ(item_->presentation(), TrayStatusItem::Presentation::systemTrayIcon);
  QSystemTrayIcon* icon = item_->systemTrayIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(item_->iconState(), TrayIconState::soon);
  EXPECT_FALSE(icon->icon().isNull());
  EXPECT_TRUE(icon->toolTip().contains(QStringLiteral("Velto Meetings Reminder")));
  EXPECT_TRUE(icon->toolTip().contains(QStringLiteral("Velto &lt;b&gt;Board&lt;/b&gt;")))
      << icon->toolTip().toStdString();

  auto menu = std::make_shared<Menu>();
  item_->setMenu(menu);
  emit icon->activated(QSystemTrayIcon::Trigger);
  emit icon->activated(QSystemTrayIcon::DoubleClick);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].first, menu);
  EXPECT_EQ(opened_[0].second, QCursor::pos());
}

TEST_F(TrayStatusItemOnBus, AWatcherThatComesLaterTakesTheItemOver) {
  makeItem();
  item_->button()->setTitle("Velto!");
  ASSERT_EQ(item_->presentation(), TrayStatusItem::Presentation::systemTrayIcon);

  startWatcher();
  ASSERT_FALSE(registeredService().isEmpty());

  EXPECT_EQ(item_->presentation(), TrayStatusItem::Presentation::statusNotifierItem);
  EXPECT_EQ(item_->systemTrayIcon(), nullptr);
  EXPECT_EQ(property(QStringLiteral("XAyatanaLabel")), QStringLiteral("Velto!"));
}

TEST_F(TrayStatusItemOnBus, RegistersAgainWithARestartedWatcher) {
  startWatcher();
  makeItem();
  QString first = registeredService();

  watcher_.reset();
  startWatcher();

  EXPECT_EQ(registeredService(), first);
  EXPECT_EQ(item_->presentation(), TrayStatusItem::Presentation::statusNotifierItem);
}

}  // namespace
}  // namespace CorlaMeetings
