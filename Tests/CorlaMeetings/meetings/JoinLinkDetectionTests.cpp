#include "meetings/JoinLinkDetection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace CorlaMeetings {
namespace {

using namespace std::string_literals;

CalendarEvent eventWith(std::optional<std::string> url, std::optional<std::string> location,
                        std::optional<std::string> notes) {
  CalendarEvent event;
  event.title = "Weekly sync";
  event.URL = std::move(url);
  event.location = std::move(location);
  event.notes = std::move(notes);
  return event;
}

CalendarEvent eventWithNotes(std::string notes) {
  return eventWith(std::nullopt, std::nullopt, std::move(notes));
}

// The link as text, or "(none)": failures then show what was found.
std::string linkText(const std::optional<Url>& link) {
  return link ? link->absoluteString() : "(none)";
}

std::string utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::string repeatedTo(std::string_view piece, std::size_t size) {
  std::string text;
  text.reserve(size + piece.size());
  while (text.size() < size) text += piece;
  return text;
}

constexpr std::size_t kFiveMegabytes = 5 << 20;

// --- Fields, order and fallback ---------------------------------------------------------

TEST(JoinLinkDetection, EventWithoutFieldsHasNoLink) {
  EXPECT_EQ(linkText(detectJoinURL(CalendarEvent{})), "(none)");
}

TEST(JoinLinkDetection, EventWithEmptyFieldsHasNoLink) {
  EXPECT_EQ(linkText(detectJoinURL(eventWith("", "", ""))), "(none)");
}

TEST(JoinLinkDetection, NonMeetingUrlFallsBackUnchanged) {
  const std::string agenda = "https://Intranet.example.com/agenda/Q3?view=full#top";
  EXPECT_EQ(linkText(detectJoinURL(eventWith(agenda, std::nullopt, std::nullopt))), agenda);
  EXPECT_EQ(linkText(detectJoinURL(eventWith(agenda, "Room 4.2", "Bring the numbers."))), agenda);
}

TEST(JoinLinkDetection, MeetingLinkInNotesBeatsTheEventsOwnUrl) {
  EXPECT_EQ(linkText(detectJoinURL(eventWith("https://intranet.example.com/agenda", "Room 4",
                                             "Join: https://zoom.us/j/123"))),
            "https://zoom.us/j/123");
}

TEST(JoinLinkDetection, ServiceOrderBeatsTextOrder) {
  // A Teams link anywhere is preferred to a Zoom link, even one in the URL field.
  EXPECT_EQ(linkText(detectJoinURL(
                eventWith("https://zoom.us/j/111", "https://whereby.com/room",
                          "Backup: https://teams.microsoft.com/l/meetup-join/19%3ameeting"))),
            "https://teams.microsoft.com/l/meetup-join/19%3ameeting");
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(
                "Zoom: https://zoom.us/j/111\nTeams: https://teams.microsoft.com/l/meetup-join/x"))),
            "https://teams.microsoft.com/l/meetup-join/x");
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(
                "https://whereby.com/a https://acme.webex.com/meet/b https://meet.google.com/c"))),
            "https://meet.google.com/c");
}

TEST(JoinLinkDetection, LeftmostLinkOfAServiceWins) {
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("https://zoom.us/j/111 https://zoom.us/j/222"))),
            "https://zoom.us/j/111");
  EXPECT_EQ(linkText(detectJoinURL(eventWith(std::nullopt, "https://zoom.us/j/111",
                                             "https://zoom.us/j/222"))),
            "https://zoom.us/j/111");
  EXPECT_EQ(linkText(detectJoinURL(eventWith("https://zoom.us/j/000", "https://zoom.us/j/111",
                                             "https://zoom.us/j/222"))),
            "https://zoom.us/j/000");
}

TEST(JoinLinkDetection, FieldsAreJoinedByLineFeeds) {
  // Glued together, the two links would make one run and one (parseable) match.
  EXPECT_EQ(linkText(detectJoinURL(eventWith("https://zoom.us/j/1", "https://zoom.us/j/2", ""))),
            "https://zoom.us/j/1");
  EXPECT_EQ(linkText(detectJoinURL(eventWith("", "https://zoom.us/j/2", "https://zoom.us/j/3"))),
            "https://zoom.us/j/2");
}

TEST(JoinLinkDetection, UrlFieldIsSearchedAsWritten) {
  EXPECT_EQ(linkText(detectJoinURL(eventWith("see https://zoom.us/j/1 please", std::nullopt,
                                             std::nullopt))),
            "https://zoom.us/j/1");
}

TEST(JoinLinkDetection, UpperCaseLinkIsNotRecognisedAndTheFallbackApplies) {
  EXPECT_EQ(linkText(detectJoinURL(eventWith("HTTPS://ZOOM.US/j/1", std::nullopt,
                                             "or https://Zoom.us/j/2 or https://zoom.US/j/3"))),
            "HTTPS://ZOOM.US/j/1");
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("HTTPS://zoom.us/j/1 https://ZOOM.us/j/2"))),
            "(none)");
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("Https://meet.google.com/abc"))), "(none)");
}

// Repaired: a calendar file may carry any scheme in its URL property, and whatever we
// return goes to the desktop's URL handler from the Join button and the reminder.
TEST(JoinLinkDetection, FallbackIsRefusedForNonWebUrls) {
  for (const std::string url :
       {"file:///etc/passwd", "javascript:alert(document.cookie)", "smb://fileserver/share",
        "mailto:boss@example.com", "ftp://example.com/agenda.pdf", "/Users/me/agenda.pdf",
        "agenda.example.com/q3", "not a url", "https://example.com/with space", ""}) {
    EXPECT_EQ(linkText(detectJoinURL(eventWith(url, "Room 4", "No link here."))), "(none)")
        << url;
  }
}

TEST(JoinLinkDetection, FallbackAcceptsWebSchemesInAnyCase) {
  for (const std::string url : {"http://example.com/agenda", "HTTP://example.com/agenda",
                                "Https://example.com/agenda"}) {
    EXPECT_EQ(linkText(detectJoinURL(eventWith(url, std::nullopt, std::nullopt))), url);
  }
}

TEST(JoinLinkDetection, MeetingLinkIsFoundWhateverTheUrlFieldHolds) {
  EXPECT_EQ(linkText(detectJoinURL(eventWith("file:///etc/passwd", std::nullopt,
                                             "https://whereby.com/room"))),
            "https://whereby.com/room");
}

TEST(JoinLinkDetection, UnparseableMatchHandsOverToTheNextService) {
  // "é" is a link character, so it ends up in the Zoom match, which then isn't a URL.
  EXPECT_EQ(linkText(detectJoinURL(
                eventWithNotes("https://zoom.us/j/caf\xc3\xa9 https://whereby.com/room"))),
            "https://whereby.com/room");
}

TEST(JoinLinkDetection, LaterMatchesOfTheSameServiceAreNotTried) {
  EXPECT_EQ(linkText(detectJoinURL(
                eventWithNotes("https://zoom.us/j/caf\xc3\xa9 https://zoom.us/j/222"))),
            "(none)");
  EXPECT_EQ(linkText(detectJoinURL(eventWith("https://example.com/agenda", std::nullopt,
                                             "https://zoom.us/j/1{2} https://zoom.us/j/3"))),
            "https://example.com/agenda");
}

TEST(JoinLinkDetection, FindServiceLinkHasNoFallback) {
  EXPECT_EQ(linkText(findServiceLink("https://example.com/agenda")), "(none)");
  EXPECT_EQ(linkText(findServiceLink("")), "(none)");
  EXPECT_EQ(linkText(findServiceLink("x https://zoom.us/j/9.")), "https://zoom.us/j/9");
}

TEST(JoinLinkDetection, HostsOutsideLinksDoNotMisleadTheSearch) {
  // The search looks for hosts before it runs the expressions; a host that is no link,
  // before or between links, must change nothing.
  EXPECT_EQ(linkText(findServiceLink("zoom.us/ is what we use. Join: https://zoom.us/j/1")), "https://zoom.us/j/1");
  EXPECT_EQ(linkText(findServiceLink("https:// and teams.microsoft.com/x, then https://teams.microsoft.com/l/2")),
            "https://teams.microsoft.com/l/2");
  EXPECT_EQ(linkText(findServiceLink("<a title=\"zoom.us/\" href=\"https://zoom.us/j/3\">")), "https://zoom.us/j/3");
  EXPECT_EQ(linkText(findServiceLink("https://example.com/r?to=https://acme.zoom.us/j/4")),
            "https://example.com/r?to=https://acme.zoom.us/j/4");
  EXPECT_EQ(linkText(findServiceLink("x https://a.example/\xc2\xa0zoom.us/j/5 https://zoom.us/j/6")),
            "https://zoom.us/j/6");
}

// --- What a link is ---------------------------------------------------------------------

struct NotesCase {
  std::string_view name;
  std::string_view notes;
  std::string_view link;  // "(none)" when no service gives one
};

class JoinLinkInNotes : public testing::TestWithParam<NotesCase> {};

TEST_P(JoinLinkInNotes, Detects) {
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(std::string(GetParam().notes)))),
            GetParam().link);
}

INSTANTIATE_TEST_SUITE_P(
    JoinLink, JoinLinkInNotes,
    testing::Values(
        // One link of each service.
        NotesCase{"Teams",
                  "Join: https://teams.microsoft.com/l/meetup-join/19%3ameeting_N2%40thread.v2/"
                  "0?context=%7b%22Tid%22%7d",
                  "https://teams.microsoft.com/l/meetup-join/19%3ameeting_N2%40thread.v2/"
                  "0?context=%7b%22Tid%22%7d"},
        NotesCase{"Zoom", "https://zoom.us/j/123456789?pwd=Abc", "https://zoom.us/j/123456789?pwd=Abc"},
        NotesCase{"GoogleMeet", "Meet: https://meet.google.com/abc-defg-hij",
                  "https://meet.google.com/abc-defg-hij"},
        NotesCase{"Webex", "https://webex.com/meet/jdoe", "https://webex.com/meet/jdoe"},
        NotesCase{"Whereby", "https://whereby.com/team-room", "https://whereby.com/team-room"},
        NotesCase{"PlainHttp", "http://zoom.us/j/1", "http://zoom.us/j/1"},
        // Running text around a link.
        NotesCase{"TrailingFullStop", "Join at https://zoom.us/j/123.", "https://zoom.us/j/123"},
        NotesCase{"ParenthesisAndFullStop", "Call in (https://zoom.us/j/123).",
                  "https://zoom.us/j/123"},
        NotesCase{"TrailingComma", "Use https://zoom.us/j/123, or dial in.",
                  "https://zoom.us/j/123"},
        NotesCase{"SeveralTrailingMarks", "https://zoom.us/j/123.),.,", "https://zoom.us/j/123"},
        NotesCase{"PathOfOnlyAFullStop", "Home: https://zoom.us/.", "https://zoom.us/"},
        NotesCase{"PathOfOnlyAParenthesis", "(https://whereby.com/)", "https://whereby.com/"},
        NotesCase{"InnerFullStopsKept", "https://zoom.us/j/1.2.3?x=a.b.", "https://zoom.us/j/1.2.3?x=a.b"},
        // HTML and other quoting.
        NotesCase{"HtmlAttribute", R"(<a href="https://zoom.us/j/123?pwd=x">Join</a>)",
                  "https://zoom.us/j/123?pwd=x"},
        NotesCase{"HtmlSingleQuotedAttribute", "<a href='https://zoom.us/j/123'>Join</a>",
                  "https://zoom.us/j/123"},
        NotesCase{"AngleBrackets", "<https://zoom.us/j/123>", "https://zoom.us/j/123"},
        NotesCase{"HtmlText", "<p>https://zoom.us/j/123</p>", "https://zoom.us/j/123"},
        NotesCase{"LinkAfterLineBreaks", "Agenda\r\n\r\nhttps://zoom.us/j/123\r\n",
                  "https://zoom.us/j/123"},
        // Hosts.
        NotesCase{"ZoomSubDomain", "https://acme.zoom.us/j/123", "https://acme.zoom.us/j/123"},
        NotesCase{"WebexSubDomain", "https://acme.webex.com/acme/j.php?MTID=m1",
                  "https://acme.webex.com/acme/j.php?MTID=m1"},
        NotesCase{"MeetSubDomainNotRecognised", "https://www.meet.google.com/abc-defg-hij",
                  "(none)"},
        NotesCase{"MeetWithUserInfoNotRecognised", "https://me@meet.google.com/abc-defg-hij",
                  "(none)"},
        NotesCase{"HostNeedsAPath", "https://zoom.us and https://meet.google.com", "(none)"},
        NotesCase{"HostNeedsMoreThanASlash", "https://zoom.us/ https://meet.google.com/ x",
                  "(none)"},
        NotesCase{"FullStopMatchesOnlyAFullStop", "https://zoomxus/j/1 https://meetxgoogle.com/a",
                  "(none)"},
        NotesCase{"HostMustBeFollowedByASlash", "https://zoom.us.example.com/j/1", "(none)"},
        NotesCase{"UpperCaseScheme", "HTTPS://zoom.us/j/1", "(none)"},
        NotesCase{"UpperCaseHost", "https://ZOOM.US/j/1", "(none)"},
        NotesCase{"OtherScheme", "zoommtg://zoom.us/join?confno=1 ftp://zoom.us/j/1", "(none)"},
        // By the pattern, the host of a prefix-form service may stand anywhere in the run.
        NotesCase{"PrefixHostInAnotherSitesPath", "https://example.com/zoom.us/x",
                  "https://example.com/zoom.us/x"},
        // A link inside another link's query.
        NotesCase{"NestedPrefixFormGivesTheOuterLink",
                  "https://safelinks.example.com/?url=https://zoom.us/j/1&data=2 next",
                  "https://safelinks.example.com/?url=https://zoom.us/j/1&data=2"},
        NotesCase{"NestedDirectFormGivesTheInnerLink",
                  "https://safelinks.example.com/?url=https://meet.google.com/abc-defg-hij&data=2",
                  "https://meet.google.com/abc-defg-hij&data=2"},
        NotesCase{"NestedStartsAtTheFirstSchemeOfTheRun",
                  "x:https://a.example/https://b.example/?https://whereby.com/r",
                  "https://a.example/https://b.example/?https://whereby.com/r"},
        NotesCase{"NoLink", "Room 4.2, bring the numbers.", "(none)"}),
    [](const auto& instance) { return std::string(instance.param.name); });

// --- White space ------------------------------------------------------------------------

// Every White_Space character (what ICU's \s means) ends a link.
class JoinLinkWhiteSpace : public testing::TestWithParam<char32_t> {};

TEST_P(JoinLinkWhiteSpace, EndsALink) {
  const std::string notes = "https://zoom.us/j/123" + utf8(GetParam()) + "456";
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(notes))), "https://zoom.us/j/123");
  const std::string meet = "x" + utf8(GetParam()) + "https://meet.google.com/abc" +
                           utf8(GetParam()) + "def";
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(meet))), "https://meet.google.com/abc");
}

INSTANTIATE_TEST_SUITE_P(
    JoinLink, JoinLinkWhiteSpace,
    testing::Values(U'\t', U'\n', U'\v', U'\f', U'\r', U' ', U'\u0085', U'\u00A0', U'\u1680',
                    U'\u2000', U'\u2001', U'\u2002', U'\u2003', U'\u2004', U'\u2005', U'\u2006',
                    U'\u2007', U'\u2008', U'\u2009', U'\u200A', U'\u2028', U'\u2029', U'\u202F',
                    U'\u205F', U'\u3000'),
    [](const auto& instance) {
      char name[16];
      std::snprintf(name, sizeof name, "U%04X", static_cast<unsigned>(instance.param));
      return std::string(name);
    });

TEST(JoinLinkDetection, SpaceBeforeTheHostBreaksThePrefixRun) {
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("https://acme\xc2\xa0zoom.us/j/1"))), "(none)");
}

TEST(JoinLinkDetection, OtherNonAsciiCharactersAreLinkCharacters) {
  // Zero-width space and a letter are not white space: they stay in the match, which then
  // doesn't parse.
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("https://zoom.us/j/1\xe2\x80\x8b"))), "(none)");
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("https://zoom.us/j/1\xc3\xa9"))), "(none)");
  // Before the host, the same characters are part of a (non-ASCII) prefix run.
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("https://\xc3\xa9.zoom.us/j/1"))), "(none)");
}

// --- Hostile text -----------------------------------------------------------------------

TEST(JoinLinkDetection, InvalidUtf8NeitherCrashesNorHides) {
  for (const std::string& bad :
       {"\xff"s, "\xfe\xff"s, "\x80"s, "\xc3"s, "\xc0\xaf"s, "\xe0\x80\x80"s, "\xed\xa0\x80"s,
        "\xf4\x90\x80\x80"s, "\xf8\x88\x80\x80\x80"s, "\xe2\x80"s}) {
    const auto link = detectJoinURL(eventWithNotes("https://zoom.us/j/123" + bad + " more"));
    // Bytes that aren't UTF-8 end a link; a few over-long or surrogate forms that RE2 lets
    // through as characters make the match unparseable instead. Never anything else.
    EXPECT_TRUE(!link || link->absoluteString() == "https://zoom.us/j/123") << linkText(link);
  }
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("\xff\xfe https://zoom.us/j/1\xff"))),
            "https://zoom.us/j/1");
  EXPECT_EQ(linkText(detectJoinURL(eventWith("\xff", "\x80", "\xc3"))), "(none)");
}

TEST(JoinLinkDetection, FiveMegabytesOfSchemesWithoutAHost) {
  const std::string schemes = repeatedTo("http://", kFiveMegabytes);
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(schemes))), "(none)");
  // The whole text is searched: a link after it is still found.
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(schemes + " https://whereby.com/room"))),
            "https://whereby.com/room");
}

TEST(JoinLinkDetection, FiveMegabytesOfAlmostLinks) {
  const std::string almost =
      repeatedTo("https://zoom.us https://meet.google.comhttps://webex.com?https://whereby.co/",
                 kFiveMegabytes);
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(almost))), "(none)");
  const std::string noise = repeatedTo("https://\xc2\xa0zoom.us/\xe2\x80\x83\xff<a>\"'", kFiveMegabytes);
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes(noise))), "(none)");
}

TEST(JoinLinkDetection, FiveMegabyteRunOfLinkCharacters) {
  const std::string run(kFiveMegabytes, 'a');
  EXPECT_EQ(linkText(detectJoinURL(eventWithNotes("https://" + run))), "(none)");

  // The host at the far end of the run: the prefix run takes the whole of it.
  const std::string farHost = "https://" + run + ".zoom.us/j/1";
  EXPECT_EQ(detectJoinURL(eventWithNotes(farHost + ". Thanks")), Url::parse(farHost));

  // A path as long as the run, greedy to its end.
  const std::string longPath = "https://zoom.us/" + run;
  EXPECT_EQ(detectJoinURL(eventWithNotes("Join: " + longPath + ".\n")), Url::parse(longPath));
}

}  // namespace
}  // namespace CorlaMeetings
