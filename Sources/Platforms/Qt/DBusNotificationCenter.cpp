#include "Qt/DBusNotificationCenter.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>
#include <optional>
#include <utility>
#include <variant>

#include "Qt/NotificationIcon.h"

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

DBusNotificationCenter::Options DBusNotificationCenter::Options::forThisProgram() {
  Options options;
  options.appIcon = notificationIcon(systemIconLocations());
  options.shownRemindersPath = ShownReminders::defaultPath();
  return options;
}

DBusNotificationCenter::DBusNotificationCenter(ReminderPostingRight::Claim claim)
    : DBusNotificationCenter(QDBusConnection::sessionBus(), Options::forThisProgram()) {
  ownPostingRight_ = std::make_unique<ReminderPostingRight>(connection_, claim);
  postingRight_ = ownPostingRight_.get();
}

DBusNotificationCenter::DBusNotificationCenter(QDBusConnection connection, Options options,
                                               const ReminderPostingRight* postingRight)
    : connection_(std::move(connection)),
      options_(std::move(options)),
      postingRight_(postingRight),
      shown_(options_.shownRemindersPath) {
  // Bound to the owner of the server's name: nobody else on the bus can play a click.
  connection_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                      SLOT(onActionInvoked(uint, QString, QDBusMessage)));
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
    notify(request, readsMarkup, capabilities.reply().service());
  });
}

void DBusNotificationCenter::notify(const NotificationRequest& request, bool serverReadsMarkup, const QString& server) {
  // Checked at the last moment: the right may have moved while the server answered.
  if (postingRight_ && !postingRight_->isHeld()) return;
  // An id is only good with the server that gave it.
  uint replacesId = 0;
  std::optional<ShownReminders::Shown> earlier = shown_.find(request.identifier);
  if (earlier && earlier->server == server) replacesId = earlier->id;

  QString body = busText(request.body);
  QStringList actions;
  if (hasJoinLink(request.userInfo)) actions << QStringLiteral("default") << QStringLiteral("Join");
  QVariantMap hints;
  if (request.defaultSound) hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
  if (!options_.desktopEntry.isEmpty()) hints.insert(QStringLiteral("desktop-entry"), options_.desktopEntry);

  QDBusMessage message = serverCall(QStringLiteral("Notify"));
  message << options_.appName << replacesId << options_.appIcon << busText(request.title)
          << (serverReadsMarkup ? escapedForMarkup(body) : body) << actions << hints << int(-1);

  auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(message, options_.callTimeoutMilliseconds), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, posted = Posted{request.identifier, request.userInfo}](QDBusPendingCallWatcher* call) mutable {
            call->deleteLater();
            QDBusPendingReply<uint> id = *call;
            if (id.isError() || id.value() == 0) return;  // servers count from 1
            shown_.record(posted.identifier, {id.reply().service(), id.value(), connection_.baseService()});
            remember(id.value(), std::move(posted));
          });
}

void DBusNotificationCenter::remember(uint id, Posted posted) {
  forget(id);  // a server that restarted counts from 1 again
  posted_[id] = std::move(posted);
  postedOrder_.push_back(id);
  while (postedOrder_.size() > kRememberedNotifications) {
    posted_.erase(postedOrder_.front());
    postedOrder_.pop_front();
  }
}

void DBusNotificationCenter::forget(uint id) {
  posted_.erase(id);
  postedOrder_.erase(std::remove(postedOrder_.begin(), postedOrder_.end(), id), postedOrder_.end());
}

void DBusNotificationCenter::onActionInvoked(uint id, const QString& /*actionKey*/, const QDBusMessage& signal) {
  // Every action is the click: the only one we offer opens the link.
  auto found = posted_.find(id);
  if (found == posted_.end()) return;
  // Another Velto that replaced our notification since answers for it now; both opening
  // the link would join the meeting twice.
  std::optional<ShownReminders::Shown> latest = shown_.findNotification(signal.service(), id);
  if (latest && latest->poster != connection_.baseService()) {
    forget(id);
    return;
  }
  Posted posted = found->second;
  forget(id);
  // Its work is done: left in the server's list, it would only be clicked again.
  QDBusMessage close = serverCall(QStringLiteral("CloseNotification"));
  close << id;
  connection_.send(close);
  if (std::shared_ptr<NotificationCenterDelegate> delegate = delegate_.lock()) {
    delegate->didReceive({posted.identifier, posted.userInfo}, [] {});
  }
}

void DBusNotificationCenter::onNotificationClosed(uint id, uint /*reason*/) { forget(id); }

}  // namespace CorlaMeetings
