#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace CorlaMeetings {

// Which of the Velto processes of a login session posts desktop reminders: the one that
// owns the name "org.velto.Velto.Reminders" on the session bus. A tray and a status-bar
// watcher often run side by side, and each would otherwise post every reminder.
//
// The tray claims the name with takeOver: it replaces a watcher that holds it. Watchers
// claim it with waitInLine: the first owns it, allows replacement, and the others queue,
// so that the next in line takes over when the owner ends or is replaced; a replaced
// owner goes back to the head of the queue. The bus tells us (NameAcquired, NameLost).
//
// Without a bus the right is never held; nothing could be posted there anyway. Main
// thread; a QCoreApplication must exist.
class ReminderPostingRight : public QObject {
  Q_OBJECT

 public:
  enum class Claim { takeOver, waitInLine };

  static const QString kName;

  // Claims the name on `connection`, waiting for the bus's answer.
  ReminderPostingRight(QDBusConnection connection, Claim claim, QString name = kName);
  // Gives the name up, so that the next in line takes over now.
  ~ReminderPostingRight() override;
  ReminderPostingRight(const ReminderPostingRight&) = delete;
  ReminderPostingRight& operator=(const ReminderPostingRight&) = delete;

  bool isHeld() const { return held_; }

 private slots:
  void onNameAcquired(const QString& name);
  void onNameLost(const QString& name);

 private:
  QDBusConnection connection_;
  QString name_;
  bool held_ = false;
};

}  // namespace CorlaMeetings
