#include "meetings/Url.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace CorlaMeetings {
namespace {

struct AcceptedUrl {
  std::string_view name;
  std::string_view text;
  std::string_view scheme;
  std::string_view host;
};

class UrlAccepts : public testing::TestWithParam<AcceptedUrl> {};

TEST_P(UrlAccepts, KeepsTextAndReadsSchemeAndHost) {
  const auto& c = GetParam();
  const auto url = Url::parse(c.text);
  ASSERT_TRUE(url.has_value()) << c.text;
  EXPECT_EQ(url->absoluteString(), c.text);
  EXPECT_EQ(url->scheme(), c.scheme);
  EXPECT_EQ(url->host(), c.host);
}

INSTANTIATE_TEST_SUITE_P(
    Url, UrlAccepts,
    testing::Values(
        AcceptedUrl{"ZoomLink", "https://zoom.us/j/123456789?pwd=Abc.def", "https", "zoom.us"},
        AcceptedUrl{"TeamsLinkWithEscapes",
                    "https://teams.microsoft.com/l/meetup-join/19%3ameeting_N2Q%40thread.v2/"
                    "0?context=%7b%22Tid%22%3a%2272f9%22%7d",
                    "https", "teams.microsoft.com"},
        AcceptedUrl{"CompanySubDomain", "https://acme.webex.com/meet/jdoe", "https",
                    "acme.webex.com"},
        AcceptedUrl{"PlainHttp", "http://whereby.com/room", "http", "whereby.com"},
        // The scheme is lower-cased; the host stays as written (the card lower-cases it).
        AcceptedUrl{"UpperCase", "HTTPS://Zoom.US/j/1", "https", "Zoom.US"},
        AcceptedUrl{"UserInfoPortQueryFragment", "https://me:pw@agenda.example.com:8443/a/b?c=d#e",
                    "https", "agenda.example.com"},
        AcceptedUrl{"IPv4Host", "http://192.168.1.20/room", "http", "192.168.1.20"},
        AcceptedUrl{"IPv6Host", "http://[2001:db8::1]:8080/room", "http", "2001:db8::1"},
        AcceptedUrl{"EmptyHost", "https://", "https", ""},
        AcceptedUrl{"NoPath", "https://zoom.us", "https", "zoom.us"},
        AcceptedUrl{"TrailingSlash", "https://zoom.us/", "https", "zoom.us"},
        AcceptedUrl{"NotNormalised", "https://zoom.us/a/../b/./c", "https", "zoom.us"},
        AcceptedUrl{"QueryWithSlashesAndQuestionMarks", "https://a.example/?u=https://zoom.us/j/1?x",
                    "https", "a.example"},
        AcceptedUrl{"Mailto", "mailto:someone@example.com", "mailto", ""},
        AcceptedUrl{"FileUrl", "file:///home/me/notes.txt", "file", ""},
        AcceptedUrl{"Javascript", "javascript:alert(1)", "javascript", ""},
        AcceptedUrl{"Smb", "smb://fileserver/share", "smb", "fileserver"},
        AcceptedUrl{"SchemeOnly", "http:", "http", ""}),
    [](const auto& instance) { return std::string(instance.param.name); });

struct RejectedText {
  std::string_view name;
  std::string_view text;
};

class UrlRejects : public testing::TestWithParam<RejectedText> {};

TEST_P(UrlRejects, Text) {
  EXPECT_FALSE(Url::parse(GetParam().text).has_value()) << GetParam().text;
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Url, UrlRejects,
    testing::Values(
        RejectedText{"Empty", ""}, RejectedText{"Space", " "},
        RejectedText{"InnerSpace", "https://zoom.us/j/1 2"},
        RejectedText{"LeadingSpace", " https://zoom.us/j/1"},
        RejectedText{"TrailingSpace", "https://zoom.us/j/1 "},
        RejectedText{"Tab", "https://zoom.us/j/1\t"},
        RejectedText{"LineFeed", "https://zoom.us/j/1\n"},
        RejectedText{"ControlCharacter", "https://zoom.us/j/\x01"},
        RejectedText{"Delete", "https://zoom.us/j/\x7f"},
        RejectedText{"EmbeddedNul", "https://zoom.us/j/1\0x"sv},
        RejectedText{"NonAscii", "https://zoom.us/j/caf\xc3\xa9"},
        RejectedText{"NoBreakSpace", "https://zoom.us/j/1\xc2\xa0"},
        RejectedText{"InvalidUtf8", "https://zoom.us/j/\xff"},
        RejectedText{"BadPercentEscape", "https://zoom.us/j/%zz"},
        RejectedText{"ShortPercentEscape", "https://zoom.us/j/%4"},
        RejectedText{"LonePercent", "https://zoom.us/j/%"},
        RejectedText{"BarePath", "/Users/me/notes.txt"},
        RejectedText{"NoScheme", "zoom.us/j/1"},
        RejectedText{"SchemeRelative", "//zoom.us/j/1"},
        RejectedText{"EmptyScheme", "://zoom.us/j/1"},
        RejectedText{"SchemeStartsWithDigit", "1http://zoom.us/j/1"},
        RejectedText{"Braces", "https://zoom.us/j/{1}"},
        RejectedText{"Bar", "https://zoom.us/j/1|2"},
        RejectedText{"Backslash", "https://zoom.us\\j\\1"},
        RejectedText{"Caret", "https://zoom.us/j/^1"},
        RejectedText{"Backtick", "https://zoom.us/j/`1"},
        RejectedText{"TwoFragments", "https://zoom.us/j/1#a#b"},
        RejectedText{"BadPort", "https://zoom.us:80x/j/1"},
        RejectedText{"TwoAtSigns", "https://a@b@zoom.us/j/1"},
        RejectedText{"UnclosedIpLiteral", "http://[::1/room"},
        RejectedText{"PlainWords", "not a url"}),
    [](const auto& instance) { return std::string(instance.param.name); });

TEST(Url, EqualityComparesTheTextAsWritten) {
  EXPECT_EQ(Url::parse("https://zoom.us/j/1"), Url::parse("https://zoom.us/j/1"));
  EXPECT_NE(Url::parse("https://zoom.us/j/1"), Url::parse("HTTPS://zoom.us/j/1"));
}

TEST(Url, OnlyHttpAndHttpsAreWebLinks) {
  EXPECT_TRUE(Url::parse("https://zoom.us/j/1")->isWebLink());
  EXPECT_TRUE(Url::parse("http://zoom.us/j/1")->isWebLink());
  EXPECT_TRUE(Url::parse("HTTP://zoom.us/j/1")->isWebLink());
  EXPECT_TRUE(Url::parse("HtTpS://zoom.us/j/1")->isWebLink());
  for (std::string_view text : {"file:///etc/passwd", "javascript:alert(1)", "smb://server/share",
                                "mailto:a@example.com", "ftp://example.com/f", "httpx://zoom.us/",
                                "zoommtg://zoom.us/join?confno=1"}) {
    const auto url = Url::parse(text);
    ASSERT_TRUE(url.has_value()) << text;
    EXPECT_FALSE(url->isWebLink()) << text;
  }
}

TEST(Url, AbsoluteStringParsesAgain) {
  // A reminder carries the link as text and the click parses it back.
  const auto url = Url::parse("https://acme.zoom.us/j/85?pwd=a%2Fb#success");
  ASSERT_TRUE(url.has_value());
  EXPECT_EQ(Url::parse(url->absoluteString()), url);
}

TEST(Url, ParsesAMegabyteLink) {
  // The parser must not recurse per character: a hostile invite can hold a huge link.
  const std::string path(5 << 20, 'a');
  for (const std::string& text : {"https://zoom.us/" + path, "https://zoom.us/?" + path,
                                  "https://zoom.us/#" + path, "https://" + path + ".zoom.us/j"}) {
    const auto url = Url::parse(text);
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->absoluteString().size(), text.size());
  }
}

}  // namespace
}  // namespace CorlaMeetings
