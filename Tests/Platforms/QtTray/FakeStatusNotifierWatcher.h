#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <vector>

namespace CorlaMeetings::Testing {

// A panel's watcher on a test bus: owns org.kde.StatusNotifierWatcher while it lives and
// records the items that register with it.
class FakeStatusNotifierWatcher : public QDBusVirtualObject {
 public:
  struct Registration {
    QString service;  // as the item sent it
    QString sender;   // the unique name of the item's connection
  };

  explicit FakeStatusNotifierWatcher(QDBusConnection connection);
  ~FakeStatusNotifierWatcher() override;

  bool isRegistered() const { return registered_; }
  const std::vector<Registration>& registrations() const { return registrations_; }

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  QDBusConnection connection_;
  bool registered_ = false;
  std::vector<Registration> registrations_;
};

}  // namespace CorlaMeetings::Testing
