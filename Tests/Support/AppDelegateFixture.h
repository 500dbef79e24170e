#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Simulated/SimulatedPlatform.h"
#include "Support/LocalTime.h"
#include "app/AppDelegate.h"

namespace CorlaMeetings::Testing {

// A launched AppDelegate on the simulated platform. The clock starts on Monday 7 December
// 2026 at 08:00 local time, a day far from any clock change in either test zone.
class AppDelegateFixture : public testing::Test {
 protected:
  explicit AppDelegateFixture(Instant start = localTime(2026, 12, 7, 8, 0)) : sim(start) {}

  // Launches and lets the calendar access answer arrive.
  void launch() {
    delegate = std::make_shared<AppDelegate>(sim.platform());
    delegate->applicationDidFinishLaunching();
    sim.runLoop.runUntilIdle();
  }

  struct MeetingFields {
    std::string title;
    double startsIn = 3600;  // seconds from now
    double duration = 1800;
    std::optional<std::string> identifier = "";  // empty: "id-" and the title; nullopt: none
    std::optional<std::string> notes;
    std::optional<std::string> location;
    bool allDay = false;
  };

  std::shared_ptr<const CalendarEvent> addEvent(const MeetingFields& fields) {
    CalendarEvent event;
    event.title = fields.title;
    event.startDate = sim.clock.now() + fromSeconds(fields.startsIn);
    event.endDate = event.startDate + fromSeconds(fields.duration);
    event.eventIdentifier = fields.identifier == "" ? "id-" + fields.title : fields.identifier;
    event.notes = fields.notes;
    event.location = fields.location;
    event.isAllDay = fields.allDay;
    return sim.calendarStore.addEvent(std::move(event));
  }

  static Duration fromSeconds(double s) {
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(s));
  }

  std::shared_ptr<const CalendarEvent> addMeeting(const std::string& title, double startsIn, double duration = 1800) {
    return addEvent({.title = title, .startsIn = startsIn, .duration = duration});
  }

  void refresh() {
    delegate->refreshClicked();
    sim.runLoop.runUntilIdle();
  }

  std::string title() const { return sim.statusItem.simulatedButton().title().text; }
  StatusState statusState() const { return sim.statusItem.simulatedButton().title().state; }

  std::vector<std::string> meetingTitles() const {
    std::vector<std::string> titles;
    for (const MeetingItem& item : delegate->currentMeetings()) titles.push_back(item.title());
    return titles;
  }

  // The menu flattened to one line per item: "[card] Title", "[section] Today", "Refresh (r)", "---".
  std::vector<std::string> menuOutline() const;

  const std::vector<MenuItem>& menuItems() const { return delegate->currentMenu()->items(); }

  SimulatedPlatform sim;
  std::shared_ptr<AppDelegate> delegate;
};

}  // namespace CorlaMeetings::Testing
