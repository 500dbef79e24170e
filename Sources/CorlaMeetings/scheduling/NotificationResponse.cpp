#include "app/AppDelegate.h"

namespace CorlaMeetings {

// A click on a reminder opens the link it carries. The user information comes back from
// the desktop, so its shape is checked, not assumed; only web links are opened.
void AppDelegate::didReceive(const NotificationResponse& response, std::function<void()> completionHandler) {
  std::optional<Url> link;
  auto entry = response.userInfo.find("joinURL");
  if (entry != response.userInfo.end()) {
    if (const std::string* text = std::get_if<std::string>(&entry->second)) link = Url::parse(*text);
  }

  Workspace& workspace = platform_.workspace;
  platform_.runLoop.postTask([link, &workspace, completionHandler = std::move(completionHandler)] {
    if (link && link->isWebLink()) workspace.openURL(*link);
    if (completionHandler) completionHandler();
  });
}

}  // namespace CorlaMeetings
