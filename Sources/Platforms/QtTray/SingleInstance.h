#pragma once

#include <QDBusConnection>

namespace CorlaMeetings {

// One tray instance per session: the first to claim "org.velto.Velto" on the bus keeps it
// for its life; a later one is refused at once, never queued behind the first. Main thread.
class SingleInstance {
 public:
  // Claims the name on `connection`.
  explicit SingleInstance(QDBusConnection connection);
  // Gives the name back, if it was ours.
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // False when another instance holds the name: the caller leaves quietly. Without a bus
  // nothing can tell, and running beats not running: true.
  bool isFirst() const { return isFirst_; }
  bool ownsName() const { return ownsName_; }

 private:
  QDBusConnection connection_;
  bool ownsName_ = false;
  bool isFirst_ = true;
};

}  // namespace CorlaMeetings
