#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "Qt/ReminderPostingRight.h"
#include "Qt/ShownReminders.h"
#include "app/NotificationCenter.h"

namespace CorlaMeetings {

// Notifications through the desktop's notification server (org.freedesktop.Notifications
// on the session bus). Main thread; a QCoreApplication must exist.
//
// Posting is asynchronous and silent: no server, a D-Bus error or no answer within the
// call timeout all drop the notification, and nothing waits for the server on the way.
// Before each notification the server is asked whether it reads markup in the body; unless
// it says it doesn't, the body is escaped, since event titles are text from strangers.
//
// Only one Velto process of a login session posts: the one holding the posting right
// (ReminderPostingRight); the others drop their reminders. A reminder whose identifier was
// shown earlier in the session, by this process or another (ShownReminders), replaces
// that notification on the same server instead of adding a second one.
//
// A notification whose user information holds a "joinURL" string gets a default action,
// "Join"; a click on it (from the server that owns the name, for a notification this
// centre posted, no other process has replaced since and the server has not closed yet)
// reaches the delegate with the notification's identifier and user information, and the
// notification is closed, as it has done its work. The latest kRememberedNotifications
// notifications are remembered for that.
class DBusNotificationCenter : public QObject, public NotificationCenter {
  Q_OBJECT

 public:
  struct Options {
    QString appName = QStringLiteral("Velto");
    QString appIcon;  // an icon name or a file URL; empty leaves it to the server
    // The desktop file's name without ".desktop", by which servers find our icon and
    // settings; empty sends none.
    QString desktopEntry = QStringLiteral("velto");
    // The shown reminders' file (ShownReminders); empty keeps none.
    QString shownRemindersPath;
    int callTimeoutMilliseconds = 5000;

    // This program's: its icon (notificationIcon) and the session's shown reminders.
    static Options forThisProgram();
  };

  static constexpr std::size_t kRememberedNotifications = 256;

  // The session bus with this program's options, posting while it holds the posting
  // right, claimed as `claim`.
  explicit DBusNotificationCenter(ReminderPostingRight::Claim claim);
  // Any bus, as tests give it; the connection must be open for the signals to arrive.
  // Posts while `postingRight` is held, or always without one; it must outlive the centre.
  DBusNotificationCenter(QDBusConnection connection, Options options,
                         const ReminderPostingRight* postingRight = nullptr);
  ~DBusNotificationCenter() override;

  void setDelegate(std::weak_ptr<NotificationCenterDelegate> delegate) override;
  // There is nothing to ask on this desktop: the answer is yes, from the event loop.
  void requestAuthorization(std::function<void(bool granted)> completion) override;
  void add(const NotificationRequest& request) override;

 private slots:
  void onActionInvoked(uint id, const QString& actionKey, const QDBusMessage& signal);
  void onNotificationClosed(uint id, uint reason);

 private:
  struct Posted {
    std::string identifier;
    UserInfo userInfo;
  };

  // `server` is the unique bus name of the server that answered GetCapabilities.
  void notify(const NotificationRequest& request, bool serverReadsMarkup, const QString& server);
  void remember(uint id, Posted posted);
  void forget(uint id);

  QDBusConnection connection_;
  Options options_;
  std::unique_ptr<ReminderPostingRight> ownPostingRight_;
  const ReminderPostingRight* postingRight_;
  ShownReminders shown_;
  std::weak_ptr<NotificationCenterDelegate> delegate_;
  std::map<uint, Posted> posted_;
  std::deque<uint> postedOrder_;  // oldest first, to forget beyond the limit
};

}  // namespace CorlaMeetings
