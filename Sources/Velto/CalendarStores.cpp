#include "CalendarStores.h"

#include <QAbstractEventDispatcher>

#include "CombinedCalendarStore.h"
#include "ICalendar/Sources/SourceList.h"
#include "ICalendar/Store/ICalendarStore.h"
#if VELTO_WITH_EDS
#include "DesktopCalendarService.h"
#include "EDS/Client/GLibMainContext.h"
#include "EDS/Store/EdsCalendarStore.h"
#endif

namespace CorlaMeetings {

namespace {

// The stores, owned, behind the one store the application sees.
class ProgramCalendarStore : public CombinedCalendarStore {
 public:
  ProgramCalendarStore(std::vector<std::unique_ptr<CalendarStore>> stores, std::unique_ptr<Timer> pump)
      : CombinedCalendarStore(pointersTo(stores)), stores_(std::move(stores)), pump_(std::move(pump)) {}

 private:
  static std::vector<CalendarStore*> pointersTo(const std::vector<std::unique_ptr<CalendarStore>>& stores) {
    std::vector<CalendarStore*> pointers;
    for (const auto& store : stores) pointers.push_back(store.get());
    return pointers;
  }

  std::vector<std::unique_ptr<CalendarStore>> stores_;
  std::unique_ptr<Timer> pump_;  // destroyed first
};

}  // namespace

std::unique_ptr<CalendarStore> makeCalendarStore(RunLoop& runLoop, const Clock& clock,
                                                 const std::vector<std::string>& calendars) {
  std::vector<std::unique_ptr<CalendarStore>> stores;
  std::unique_ptr<Timer> pump;
  ICalendarStoreOptions files;
  files.index.folder = defaultStartupIndexFolder();
  files.index.program = runningProgramIdentity();
#if VELTO_WITH_EDS
  auto sources = systemSourceList(calendars, desktopCalendarServiceCheck());
  files.desktopCalendarsReadElsewhere = true;
  stores.push_back(std::make_unique<ICalendarStore>(runLoop, clock, sources, files));
  stores.push_back(std::make_unique<EdsCalendarStore>(runLoop, clock, sources));
  // libecal answers through GLib's main context, which Qt's loop runs unless Qt goes without.
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib")) {
    pump = runLoop.scheduleRepeatingTimer(50ms, [] { dispatchPendingGLibEvents(); });
  }
#else
  stores.push_back(std::make_unique<ICalendarStore>(runLoop, clock, systemSourceList(calendars), files));
#endif
  return std::make_unique<ProgramCalendarStore>(std::move(stores), std::move(pump));
}

}  // namespace CorlaMeetings
