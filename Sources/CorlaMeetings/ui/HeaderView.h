#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Clock.h"
#include "meetings/MeetingItem.h"
#include "ui/TimelineView.h"
#include "ui/View.h"

namespace CorlaMeetings {

// The top of the drop-down (410 x 124): brand line, the next meeting's name in large type,
// the number of loaded meetings, one line about the next meeting, and the four-day
// timeline. Its texts are fixed when built.
class HeaderView : public View {
 public:
  HeaderView(const std::vector<MeetingItem>& meetings, const std::optional<MeetingItem>& next, const Clock& clock);

  const Label& brandLabel() const { return label(0); }
  const Label& headlineLabel() const { return label(1); }
  const Label& countLabel() const { return label(2); }
  const Label& detailLabel() const { return label(3); }
  const TimelineView& timeline() const { return static_cast<const TimelineView&>(*subviews()[4]); }

 private:
  const Label& label(std::size_t index) const { return static_cast<const Label&>(*subviews()[index]); }
};

// A three-line card (390 x 88) standing in for the meeting list when there is none to show.
class StatusCardView : public View {
 public:
  StatusCardView(const std::string& title, const std::string& subtitle, const std::string& detail);

  const Label& titleLabel() const { return label(0); }
  const Label& subtitleLabel() const { return label(1); }
  const Label& detailLabel() const { return label(2); }

 private:
  const Label& label(std::size_t index) const { return static_cast<const Label&>(*subviews()[index]); }
};

}  // namespace CorlaMeetings
