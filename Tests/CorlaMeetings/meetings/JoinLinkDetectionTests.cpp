#include "meetings/JoinLinkDetection.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace CorlaMeetings::Testing {
namespace {

using namespace std::string_literals;

// A null field is one the event does not have.
CalendarEvent eventWith(const char* url, const char* location, const char* notes) {
  const auto field = [](const char* text) { return text ? std::optional<std::string>(text) : std::nullopt; };
  CalendarEvent event;
  event.title = "Weekly sync";
  event.URL = field(url);
  event.location = field(location);
  event.notes = field(notes);
  return event;
}

// The link as text, or "(none)": failures then show what was found.
std::string linkText(const std::optional<Url>& link) { return link ? link->absoluteString() : "(none)"; }

std::string repeatedTo(std::string_view piece, std::size_t size) {
  std::string text;
  text.reserve(size + piece.size());
  while (text.size() < size) text += piece;
  return text;
}

constexpr std::size_t kFiveMegabytes = 5 << 20;

// Which field wins, and when the event's own link stands in.
TEST(JoinLinkDetection, PicksAcrossFieldsAndFallsBackToTheEventsWebLink) {
  struct Case {
    const char *url, *location, *notes;
    std::string_view link;
  };
  const char* agenda = "https://Intranet.example.com/agenda/Q3?view=full#top";
  for (const Case& c : {
           Case{nullptr, nullptr, nullptr, "(none)"},
           Case{"", "", "", "(none)"},
           Case{"\xff", "\x80", "\xc3", "(none)"},
           Case{agenda, nullptr, nullptr, agenda},
           Case{agenda, "Room 4.2", "Bring the numbers.", agenda},
           Case{"http://example.com/agenda", nullptr, nullptr, "http://example.com/agenda"},
           Case{"HTTP://example.com/agenda", nullptr, nullptr, "HTTP://example.com/agenda"},
           // A meeting link anywhere beats the event's own link.
           Case{"https://intranet.example.com/agenda", "Room 4", "Join: https://zoom.us/j/123",
                "https://zoom.us/j/123"},
           Case{"file:///etc/passwd", nullptr, "https://whereby.com/room", "https://whereby.com/room"},
           // Service order beats field order; within a service, the leftmost link wins.
           Case{"https://zoom.us/j/111", "https://whereby.com/room",
                "Backup: https://teams.microsoft.com/l/meetup-join/19", "https://teams.microsoft.com/l/meetup-join/19"},
           Case{nullptr, "https://zoom.us/j/111", "https://zoom.us/j/222", "https://zoom.us/j/111"},
           Case{"https://zoom.us/j/000", "https://zoom.us/j/111", "https://zoom.us/j/222", "https://zoom.us/j/000"},
           // Fields are joined by line feeds: glued, two links would make one match.
           Case{"https://zoom.us/j/1", "https://zoom.us/j/2", "", "https://zoom.us/j/1"},
           Case{"", "https://zoom.us/j/2", "https://zoom.us/j/3", "https://zoom.us/j/2"},
           // The URL field is searched as written, not only parsed.
           Case{"see https://zoom.us/j/1 please", nullptr, nullptr, "https://zoom.us/j/1"},
           // No meeting link (upper case ones aren't), so the event's own link.
           Case{"HTTPS://ZOOM.US/j/1", nullptr, "or https://Zoom.us/j/2 or https://zoom.US/j/3", "HTTPS://ZOOM.US/j/1"},
           // Only the leftmost match of a service is tried.
           Case{"https://example.com/agenda", nullptr, "https://zoom.us/j/1{2} https://zoom.us/j/3",
                "https://example.com/agenda"},
       }) {
    EXPECT_EQ(linkText(detectJoinURL(eventWith(c.url, c.location, c.notes))), c.link)
        << (c.url ? c.url : "-") << " | " << (c.location ? c.location : "-") << " | " << (c.notes ? c.notes : "-");
  }
}

// Repaired: a calendar file may carry any scheme in its URL property, and whatever we
// return goes to the desktop's URL handler from the Join button and the reminder.
TEST(JoinLinkDetection, FallbackIsRefusedForNonWebUrls) {
  for (const char* url : {"file:///etc/passwd", "javascript:alert(document.cookie)", "smb://fileserver/share",
                          "mailto:boss@example.com", "ftp://example.com/agenda.pdf", "/Users/me/agenda.pdf",
                          "agenda.example.com/q3", "not a url", "https://example.com/with space", ""}) {
    EXPECT_EQ(linkText(detectJoinURL(eventWith(url, "Room 4", "No link here."))), "(none)") << url;
  }
}

// What a link is, in one text.
TEST(JoinLinkDetection, FindsTheServiceLinkInText) {
  struct Case {
    std::string_view text, link;  // link "(none)" when no service gives one
  };
  for (const Case& c : {
           // One link of each service, and service order over text order.
           Case{"Join: https://teams.microsoft.com/l/meetup-join/19%3ameeting_N2%40thread.v2/0?context=%7b%22Tid%22%7d",
                "https://teams.microsoft.com/l/meetup-join/19%3ameeting_N2%40thread.v2/0?context=%7b%22Tid%22%7d"},
           Case{"https://zoom.us/j/123456789?pwd=Abc", "https://zoom.us/j/123456789?pwd=Abc"},
           Case{"Meet: https://meet.google.com/abc-defg-hij", "https://meet.google.com/abc-defg-hij"},
           Case{"https://webex.com/meet/jdoe", "https://webex.com/meet/jdoe"},
           Case{"https://whereby.com/team-room", "https://whereby.com/team-room"},
           Case{"http://zoom.us/j/1", "http://zoom.us/j/1"},
           Case{"Zoom: https://zoom.us/j/111\nTeams: https://teams.microsoft.com/l/meetup-join/x",
                "https://teams.microsoft.com/l/meetup-join/x"},
           Case{"https://whereby.com/a https://acme.webex.com/meet/b https://meet.google.com/c",
                "https://meet.google.com/c"},
           Case{"https://zoom.us/j/111 https://zoom.us/j/222", "https://zoom.us/j/111"},
           // Running text around a link.
           Case{"Join at https://zoom.us/j/123.", "https://zoom.us/j/123"},
           Case{"Call in (https://zoom.us/j/123).", "https://zoom.us/j/123"},
           Case{"https://zoom.us/j/123.),.,", "https://zoom.us/j/123"},
           Case{"Home: https://zoom.us/.", "https://zoom.us/"},
           Case{"(https://whereby.com/)", "https://whereby.com/"},
           Case{"https://zoom.us/j/1.2.3?x=a.b.", "https://zoom.us/j/1.2.3?x=a.b"},
           // HTML and other quoting.
           Case{R"(<a href="https://zoom.us/j/123?pwd=x">Join</a>)", "https://zoom.us/j/123?pwd=x"},
           Case{"<a href='https://zoom.us/j/123'>Join</a>", "https://zoom.us/j/123"},
           Case{"<https://zoom.us/j/123>", "https://zoom.us/j/123"},
           // Hosts: company sub-domains for all but Meet, exact and case-sensitive otherwise.
           Case{"https://acme.zoom.us/j/123", "https://acme.zoom.us/j/123"},
           Case{"https://acme.webex.com/acme/j.php?MTID=m1", "https://acme.webex.com/acme/j.php?MTID=m1"},
           Case{"https://www.meet.google.com/abc-defg-hij", "(none)"},
           Case{"https://me@meet.google.com/abc-defg-hij", "(none)"},
           Case{"https://zoom.us and https://meet.google.com", "(none)"},
           Case{"https://zoom.us/ https://meet.google.com/ x", "(none)"},
           Case{"https://zoomxus/j/1 https://meetxgoogle.com/a", "(none)"},
           Case{"https://zoom.us.example.com/j/1", "(none)"},
           Case{"HTTPS://zoom.us/j/1 https://ZOOM.us/j/2", "(none)"},
           Case{"Https://meet.google.com/abc", "(none)"},
           Case{"zoommtg://zoom.us/join?confno=1 ftp://zoom.us/j/1", "(none)"},
           Case{"Room 4.2, bring the numbers.", "(none)"},
           Case{"", "(none)"},
           // By the pattern, the host of a prefix-form service may stand anywhere in the run.
           Case{"https://example.com/zoom.us/x", "https://example.com/zoom.us/x"},
           // A link inside another link's query.
           Case{"https://safelinks.example.com/?url=https://zoom.us/j/1&data=2 next",
                "https://safelinks.example.com/?url=https://zoom.us/j/1&data=2"},
           Case{"https://safelinks.example.com/?url=https://meet.google.com/abc-defg-hij&data=2",
                "https://meet.google.com/abc-defg-hij&data=2"},
           Case{"x:https://a.example/https://b.example/?https://whereby.com/r",
                "https://a.example/https://b.example/?https://whereby.com/r"},
           // The search looks for hosts before it runs the expressions: a host that is no
           // link, before or between links, must change nothing.
           Case{"zoom.us/ is what we use. Join: https://zoom.us/j/1", "https://zoom.us/j/1"},
           Case{"https:// and teams.microsoft.com/x, then https://teams.microsoft.com/l/2",
                "https://teams.microsoft.com/l/2"},
           Case{"<a title=\"zoom.us/\" href=\"https://zoom.us/j/3\">", "https://zoom.us/j/3"},
           Case{"https://example.com/r?to=https://acme.zoom.us/j/4",
                "https://example.com/r?to=https://acme.zoom.us/j/4"},
           Case{"x https://a.example/\xc2\xa0zoom.us/j/5 https://zoom.us/j/6", "https://zoom.us/j/6"},
           // A match that isn't a URL ("é" and the zero-width space are link characters)
           // hands over to the next service, not to the same service's next match.
           Case{"https://zoom.us/j/caf\xc3\xa9 https://whereby.com/room", "https://whereby.com/room"},
           Case{"https://zoom.us/j/caf\xc3\xa9 https://zoom.us/j/222", "(none)"},
           Case{"https://zoom.us/j/1\xe2\x80\x8b", "(none)"},
           Case{"https://\xc3\xa9.zoom.us/j/1", "(none)"},
           // A space, even a no-break one, breaks the prefix run before the host.
           Case{"https://acme\xc2\xa0zoom.us/j/1", "(none)"},
           // Bytes that aren't UTF-8 end a link.
           Case{"\xff\xfe https://zoom.us/j/1\xff", "https://zoom.us/j/1"},
       }) {
    EXPECT_EQ(linkText(findServiceLink(c.text)), c.link) << c.text;
  }
}

// Every White_Space character (what ICU's \s means) ends a link: invites pasted from word
// processors are full of no-break spaces.
TEST(JoinLinkDetection, EveryUnicodeWhiteSpaceEndsALink) {
  for (const char* space : {"\t",     "\n",     "\v",     "\f",     "\r",     " ",      "\u0085", "\u00A0", "\u1680",
                            "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006", "\u2007", "\u2008",
                            "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000"}) {
    EXPECT_EQ(linkText(findServiceLink("https://zoom.us/j/123"s + space + "456")), "https://zoom.us/j/123") << space;
    EXPECT_EQ(linkText(findServiceLink("x"s + space + "https://meet.google.com/abc" + space + "def")),
              "https://meet.google.com/abc")
        << space;
  }
}

// --- Hostile text -----------------------------------------------------------------------

TEST(JoinLinkDetection, InvalidUtf8NeitherCrashesNorHides) {
  for (const std::string& bad : {"\xff"s, "\xfe\xff"s, "\x80"s, "\xc3"s, "\xc0\xaf"s, "\xe0\x80\x80"s, "\xed\xa0\x80"s,
                                 "\xf4\x90\x80\x80"s, "\xf8\x88\x80\x80\x80"s, "\xe2\x80"s}) {
    const auto link = findServiceLink("https://zoom.us/j/123" + bad + " more");
    // Bytes that aren't UTF-8 end a link; a few over-long or surrogate forms that RE2 lets
    // through as characters make the match unparseable instead. Never anything else.
    EXPECT_TRUE(!link || link->absoluteString() == "https://zoom.us/j/123") << linkText(link);
  }
}

TEST(JoinLinkDetection, FiveMegabytesOfSchemesWithoutAHost) {
  const std::string schemes = repeatedTo("http://", kFiveMegabytes);
  EXPECT_EQ(linkText(findServiceLink(schemes)), "(none)");
  // The whole text is searched: a link after it is still found.
  EXPECT_EQ(linkText(findServiceLink(schemes + " https://whereby.com/room")), "https://whereby.com/room");
}

TEST(JoinLinkDetection, FiveMegabytesOfAlmostLinks) {
  EXPECT_EQ(linkText(findServiceLink(repeatedTo(
                "https://zoom.us https://meet.google.comhttps://webex.com?https://whereby.co/", kFiveMegabytes))),
            "(none)");
  EXPECT_EQ(linkText(findServiceLink(repeatedTo("https://\xc2\xa0zoom.us/\xe2\x80\x83\xff<a>\"'", kFiveMegabytes))),
            "(none)");
}

TEST(JoinLinkDetection, FiveMegabyteRunOfLinkCharacters) {
  const std::string run(kFiveMegabytes, 'a');
  EXPECT_EQ(linkText(findServiceLink("https://" + run)), "(none)");
  // The host at the far end of the run: the prefix run takes the whole of it.
  const std::string farHost = "https://" + run + ".zoom.us/j/1";
  EXPECT_EQ(findServiceLink(farHost + ". Thanks"), Url::parse(farHost));
  // A path as long as the run, greedy to its end.
  const std::string longPath = "https://zoom.us/" + run;
  EXPECT_EQ(findServiceLink("Join: " + longPath + ".\n"), Url::parse(longPath));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
