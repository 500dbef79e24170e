#include "Simulated/RecordingWorkspace.h"

#include <gtest/gtest.h>

#include "meetings/Url.h"

namespace CorlaMeetings {
namespace {

TEST(RecordingWorkspace, OpensOnlyWebLinksAndRefusesEveryOtherScheme) {
  struct Case {
    const char* text;
    bool opened;
  };
  const Case cases[] = {
      {"https://example.com/j/123", true},
      {"http://example.com/", true},
      {"HTTPS://Example.com/j/1", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"mailto:someone@example.com", false},
      {"ftp://example.com/x", false},
      {"smb://server/share", false},
      {"x-custom-handler://run?cmd=rm", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<Url> url = Url::parse(c.text);
    ASSERT_TRUE(url);
    RecordingWorkspace workspace;

    workspace.openURL(*url);

    EXPECT_EQ(workspace.openedURLs(), c.opened ? std::vector<std::string>{c.text} : std::vector<std::string>{});
    EXPECT_EQ(workspace.refusedURLs(), c.opened ? std::vector<std::string>{} : std::vector<std::string>{c.text});
  }
}

}  // namespace
}  // namespace CorlaMeetings
