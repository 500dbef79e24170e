#include "QtTray/ControlService.h"

#include <QString>

#include "QtTray/VeltoBusNames.h"

namespace CorlaMeetings {

ControlService::ControlService(QDBusConnection connection, std::function<bool()> joinNextMeeting,
                               std::function<void()> refresh)
    : connection_(std::move(connection)), joinNextMeeting_(std::move(joinNextMeeting)), refresh_(std::move(refresh)) {
  exported_ =
      connection_.registerObject(QString::fromLatin1(kVeltoObjectPath), this, QDBusConnection::ExportScriptableSlots);
}

ControlService::~ControlService() {
  if (exported_) connection_.unregisterObject(QString::fromLatin1(kVeltoObjectPath));
}

bool ControlService::JoinNextMeeting() { return joinNextMeeting_ ? joinNextMeeting_() : false; }

void ControlService::Refresh() {
  if (refresh_) refresh_();
}

}  // namespace CorlaMeetings
