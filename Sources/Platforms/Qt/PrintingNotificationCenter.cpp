#include "Qt/PrintingNotificationCenter.h"

#include <cstddef>
#include <string>
#include <utility>
#include <variant>

#include "meetings/PlainText.h"

namespace CorlaMeetings {

namespace {

std::string joinLink(const UserInfo& userInfo) {
  auto entry = userInfo.find("joinURL");
  if (entry == userInfo.end()) return {};
  const std::string* link = std::get_if<std::string>(&entry->second);
  return link ? *link : std::string();
}

}  // namespace

PrintingNotificationCenter::PrintingNotificationCenter(std::ostream& out, RunLoop& runLoop)
    : out_(out), runLoop_(runLoop) {}

void PrintingNotificationCenter::requestAuthorization(std::function<void(bool granted)> completion) {
  runLoop_.postTask([completion = std::move(completion)] {
    if (completion) completion(true);
  });
}

void PrintingNotificationCenter::add(const NotificationRequest& request) {
  out_ << "notification: " << singleLine(request.identifier) << " | " << singleLine(request.title) << " | "
       << singleLine(request.body) << " | " << singleLine(joinLink(request.userInfo)) << '\n'
       << std::flush;
}

}  // namespace CorlaMeetings
