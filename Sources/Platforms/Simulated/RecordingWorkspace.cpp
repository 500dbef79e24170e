#include "Simulated/RecordingWorkspace.h"

#include "meetings/Url.h"

namespace CorlaMeetings {

void RecordingWorkspace::openURL(const Url& url) {
  (url.isWebLink() ? openedURLs_ : refusedURLs_).push_back(url.absoluteString());
}

}  // namespace CorlaMeetings
