#include "Qt/DBusNotificationCenter.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>
#include <utility>
#include <variant>

namespace CorlaMeetings {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// A D-Bus string cannot hold NUL, and the text is not ours to trust; invalid UTF-8 has
// already become U+FFFD on the way in.
QString busText(const std::string& text) { return QString::fromStdString(text).remove(QChar(u'\0')); }

// The servers' markup is a small XML-like subset; escaped, any text shows as written.
QString escapedForMarkup(const QString& text) {
  QString escaped;
  escaped.reserve(text.size());
  for (QChar c : text) {
    switch (c.unicode()) {
      case u'&': escaped += QStringLiteral("&amp;"); break;
      case u'<': escaped += QStringLiteral("&lt;"); break;
      case u'>': escaped += QStringLiteral("&gt;"); break;
      case u'"': escaped += QStringLiteral("&quot;"); break;
      case u'\'': escaped += QStringLiteral("&#39;"); break;
      default: escaped += c;
    }
  }
  return escaped;
}

bool hasJoinLink(const UserInfo& userInfo) {
  auto entry = userInfo.find("joinURL");
  return entry != userInfo.end() && std::holds_alternative<std::string>(entry->second);
}

QDBusMessage serverCall(const QString& method) {
  return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

}  // namespace

DBusNotificationCenter::DBusNotificationCenter() : DBusNotificationCenter(QDBusConnection::sessionBus(), Options{}) {}

DBusNotificationCenter::DBusNotificationCenter(QDBusConnection connection, Options options)
    : connection_(std::move(connection)), options_(std::move(options)) {
  // Bound to the owner of the server's name: nobody else on the bus can play a click.
  connection_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                      SLOT(onActionInvoked(uint, QString)));
  connection_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                      SLOT(onNotificationClosed(uint, uint)));
}

DBusNotificationCenter::~DBusNotificationCenter() = default;

void DBusNotificationCenter::setDelegate(std::weak_ptr<NotificationCenterDelegate> delegate) {
  delegate_ = std::move(delegate);
}

void DBusNotificationCenter::requestAuthorization(std::function<void(bool granted)> completion) {
  QMetaObject::invokeMethod(
      this,
      [completion = std::move(completion)] {
        if (completion) completion(true);
      },
      Qt::QueuedConnection);
}

// Asks for the server's capabilities first, so that the body is escaped only for a server
// that reads markup. Reminders are a few a day; the extra round trip costs nothing, and
// follows whichever server runs now.
void DBusNotificationCenter::add(const NotificationRequest& request) {
  auto* watcher = new QDBusPendingCallWatcher(
      connection_.asyncCall(serverCall(QStringLiteral("GetCapabilities")), options_.callTimeoutMilliseconds), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, request](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    QDBusPendingReply<QStringList> capabilities = *call;
    // A server that cannot say is taken to read markup: unescaped markup can hide text.
    bool readsMarkup = capabilities.isError() || capabilities.value().contains(QStringLiteral("body-markup"));
    notify(request, readsMarkup);
  });
}

void DBusNotificationCenter::notify(const NotificationRequest& request, bool serverReadsMarkup) {
  QString body = busText(request.body);
  QStringList actions;
  if (hasJoinLink(request.userInfo)) actions << QStringLiteral("default") << QStringLiteral("Join");
  QVariantMap hints;
  if (request.defaultSound) hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
  if (!options_.desktopEntry.isEmpty()) hints.insert(QStringLiteral("desktop-entry"), options_.desktopEntry);

  QDBusMessage message = serverCall(QStringLiteral("Notify"));
  message << options_.appName << uint(0) << options_.appIcon << busText(request.title)
          << (serverReadsMarkup ? escapedForMarkup(body) : body) << actions << hints << int(-1);

  auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(message, options_.callTimeoutMilliseconds), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, posted = Posted{request.identifier, request.userInfo}](QDBusPendingCallWatcher* call) mutable {
            call->deleteLater();
            QDBusPendingReply<uint> id = *call;
            if (!id.isError()) remember(id.value(), std::move(posted));
          });
}

void DBusNotificationCenter::remember(uint id, Posted posted) {
  if (id == 0) return;  // not a notification id: servers start at 1
  // A server that restarted counts from 1 again.
  postedOrder_.erase(std::remove(postedOrder_.begin(), postedOrder_.end(), id), postedOrder_.end());
  posted_[id] = std::move(posted);
  postedOrder_.push_back(id);
  while (postedOrder_.size() > kRememberedNotifications) {
    posted_.erase(postedOrder_.front());
    postedOrder_.pop_front();
  }
}

void DBusNotificationCenter::onActionInvoked(uint id, const QString& /*actionKey*/) {
  // Every action is the click: the only one we offer opens the link.
  auto found = posted_.find(id);
  if (found == posted_.end()) return;
  std::shared_ptr<NotificationCenterDelegate> delegate = delegate_.lock();
  if (!delegate) return;
  delegate->didReceive({found->second.identifier, found->second.userInfo}, [] {});
}

void DBusNotificationCenter::onNotificationClosed(uint id, uint /*reason*/) {
  posted_.erase(id);
  postedOrder_.erase(std::remove(postedOrder_.begin(), postedOrder_.end(), id), postedOrder_.end());
}

}  // namespace CorlaMeetings
