#include "Qt/PrintingNotificationCenter.h"

#include <cstddef>
#include <string>
#include <utility>
#include <variant>

namespace CorlaMeetings {

namespace {

// C0 controls and DEL are single bytes; the C1 controls (U+0080 to U+009F, some terminals
// take U+009B as an escape) are 0xC2 0x80 to 0xC2 0x9F in UTF-8.
std::string printable(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      result += ' ';
    } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80) {
      result += ' ';
      ++i;
    } else {
      result += static_cast<char>(c);
    }
  }
  return result;
}

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
  out_ << "notification: " << printable(request.identifier) << " | " << printable(request.title) << " | "
       << printable(request.body) << " | " << printable(joinLink(request.userInfo)) << '\n'
       << std::flush;
}

}  // namespace CorlaMeetings
