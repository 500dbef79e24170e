#include "Platforms/QtTray/FakeStatusNotifierWatcher.h"

#include <QDBusMessage>

namespace CorlaMeetings::Testing {

namespace {
const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kPath = QStringLiteral("/StatusNotifierWatcher");
}  // namespace

FakeStatusNotifierWatcher::FakeStatusNotifierWatcher(QDBusConnection connection) : connection_(std::move(connection)) {
  registered_ = connection_.registerVirtualObject(kPath, this) && connection_.registerService(kService);
}

FakeStatusNotifierWatcher::~FakeStatusNotifierWatcher() {
  connection_.unregisterService(kService);
  connection_.unregisterObject(kPath);
}

bool FakeStatusNotifierWatcher::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.interface() != kService || message.member() != QStringLiteral("RegisterStatusNotifierItem") ||
      message.signature() != QStringLiteral("s")) {
    return false;
  }
  registrations_.push_back({message.arguments().value(0).toString(), message.service()});
  connection.send(message.createReply());
  return true;
}

}  // namespace CorlaMeetings::Testing
