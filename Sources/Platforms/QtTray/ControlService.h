#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>

namespace CorlaMeetings {

// The running instance's commands on the bus, for "velto --join-next" and "--refresh" and
// for desktop shortcuts: interface org.velto.Velto at /org/velto/Velto. The bus name itself
// is SingleInstance's. Main thread.
class ControlService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.velto.Velto")

 public:
  // `joinNextMeeting` answers whether a meeting's link was opened.
  ControlService(QDBusConnection connection, std::function<bool()> joinNextMeeting, std::function<void()> refresh);
  ~ControlService() override;

  // False when the object path was taken on the bus.
  bool isExported() const { return exported_; }

 public slots:
  Q_SCRIPTABLE bool JoinNextMeeting();
  Q_SCRIPTABLE void Refresh();

 private:
  QDBusConnection connection_;
  std::function<bool()> joinNextMeeting_;
  std::function<void()> refresh_;
  bool exported_ = false;
};

}  // namespace CorlaMeetings
