#pragma once

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QObject>
#include <QPoint>
#include <memory>
#include <utility>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/PrivateSessionBus.h"
#include "Platforms/QtTray/FakeStatusNotifierWatcher.h"
#include "QtTray/StatusNotifierTypes.h"
#include "QtTray/TrayStatusItem.h"
#include "ui/Menu.h"

namespace CorlaMeetings::Testing {

inline const QString kItemPath = QStringLiteral("/StatusNotifierItem");
inline const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

// Records the signals an object of the item sends.
class SignalRecorder : public QObject {
  Q_OBJECT

 public:
  SignalRecorder(QDBusConnection connection, const QString& service, const QString& path, const QString& interface) {
    connected = connection.connect(service, path, interface, QString(), this, SLOT(record(QDBusMessage)));
  }
  bool connected = false;
  std::vector<QDBusMessage> received;

 public slots:
  void record(const QDBusMessage& message) { received.push_back(message); }
};

// A panel's watcher, the tray item registered with it, and a client calling the item as a
// panel does, all on the binary's private bus.
class TrayItemOnBus : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon did not start";
    registerStatusNotifierTypes();
    startWatcher();
    makeItem();
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
  QString registeredService() {
    EXPECT_TRUE(runEventsUntil([&] { return !watcher_->registrations().empty(); }));
    return watcher_->registrations().empty() ? QString() : watcher_->registrations().back().service;
  }

  // Runs the event loop meanwhile: the item lives in this very thread.
  QDBusMessage callAt(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(registeredService(), path, interface, method);
    message.setArguments(arguments);
    QDBusPendingCall pending = client_.asyncCall(message, 3000);
    runEventsUntil([&] { return pending.isFinished(); }, 4000);
    return pending.reply();
  }
  QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments) {
    return callAt(kItemPath, interface, method, arguments);
  }

  // A QDBusArgument for compound types; invalid on an error.
  QVariant propertyAt(const QString& path, const QString& interface, const QString& name) {
    const QVariantList reply = callAt(path, "org.freedesktop.DBus.Properties", "Get", {interface, name}).arguments();
    return reply.isEmpty() ? QVariant() : qvariant_cast<QDBusVariant>(reply.first()).variant();
  }
  QVariant property(const QString& name) { return propertyAt(kItemPath, kItemInterface, name); }

  template <typename T>
  T compound(const QString& name) {
    return qdbus_cast<T>(qvariant_cast<QDBusArgument>(property(name)));
  }

  PrivateSessionBus& bus_ = testBus();
  QDBusConnection client_ = bus_.connect();
  std::unique_ptr<FakeStatusNotifierWatcher> watcher_;
  std::unique_ptr<TrayStatusItem> item_;
  std::vector<std::pair<std::shared_ptr<Menu>, QPoint>> opened_;
};

}  // namespace CorlaMeetings::Testing
