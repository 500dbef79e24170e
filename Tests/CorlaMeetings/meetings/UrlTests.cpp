#include "meetings/Url.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace CorlaMeetings::Testing {
namespace {

using namespace std::string_view_literals;

TEST(Url, KeepsTheTextAndReadsSchemeAndHost) {
  struct Case {
    std::string_view text, scheme, host;
  };
  for (const Case& c : {
           Case{"https://teams.microsoft.com/l/meetup-join/19%3ameeting_N2Q%40thread.v2/0?context=%7b%7d", "https",
                "teams.microsoft.com"},
           Case{"HTTPS://Zoom.US/j/1", "https", "Zoom.US"},  // the card lower-cases the host
           Case{"https://me:pw@agenda.example.com:8443/a/b?c=d#e", "https", "agenda.example.com"},
           Case{"http://[2001:db8::1]:8080/room", "http", "2001:db8::1"},
           Case{"https://a.example/?u=https://zoom.us/j/1?x", "https", "a.example"},
           Case{"smb://fileserver/share", "smb", "fileserver"},
           Case{"https://", "https", ""},
       }) {
    const auto url = Url::parse(c.text);
    ASSERT_TRUE(url) << c.text;
    EXPECT_EQ(url->absoluteString(), c.text);
    EXPECT_EQ(url->scheme(), c.scheme);
    EXPECT_EQ(url->host(), c.host);
    EXPECT_EQ(Url::parse(url->absoluteString()), url);  // a reminder's link parses back on a click
  }
}

TEST(Url, RejectsTextThatIsNoAbsoluteUrl) {
  for (std::string_view text : {""sv,
                                " https://zoom.us/j/1"sv,
                                "https://zoom.us/j/1 2"sv,
                                "https://zoom.us/j/1\n"sv,
                                "https://zoom.us/j/\x01"sv,
                                "https://zoom.us/j/1\0x"sv,
                                "https://zoom.us/j/caf\xc3\xa9"sv,
                                "https://zoom.us/j/1\xc2\xa0"sv,
                                "https://zoom.us/j/\xff"sv,
                                "https://zoom.us/j/%zz"sv,
                                "https://zoom.us/j/%"sv,
                                "/Users/me/notes.txt"sv,
                                "zoom.us/j/1"sv,
                                "//zoom.us/j/1"sv,
                                "https://zoom.us/j/{1}"sv,
                                "https://zoom.us\\j\\1"sv,
                                "https://zoom.us/j/1#a#b"sv,
                                "https://zoom.us:80x/j/1"sv,
                                "http://[::1/room"sv,
                                "not a url"sv}) {
    EXPECT_FALSE(Url::parse(text)) << text;
  }
}

TEST(Url, OnlyHttpAndHttpsWithAHostAreWebLinks) {
  for (std::string_view text : {"https://zoom.us/j/1", "HtTpS://zoom.us/j/1", "http://zoom.us/j/1"}) {
    EXPECT_TRUE(Url::parse(text)->isWebLink()) << text;
  }
  for (std::string_view text :
       {"file:///etc/passwd", "javascript:alert(1)", "smb://server/share", "mailto:a@example.com",
        "ftp://example.com/f", "zoommtg://zoom.us/join?confno=1", "https://", "http:"}) {
    const auto url = Url::parse(text);
    ASSERT_TRUE(url) << text;
    EXPECT_FALSE(url->isWebLink()) << text;
  }
}

TEST(Url, ParsesMegabyteLinksWithoutRecursing) {
  const std::string long_(5 << 20, 'a');
  for (const std::string& text :
       {"https://zoom.us/" + long_, "https://zoom.us/?" + long_, "https://" + long_ + ".zoom.us/j"}) {
    const auto url = Url::parse(text);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->absoluteString().size(), text.size());
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
