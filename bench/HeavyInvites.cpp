#include "HeavyInvites.h"

#include <array>

namespace CorlaMeetings::Bench {

namespace {

constexpr std::array<std::string_view, 40> kWords{
    "roadmap", "release", "budget",   "review",     "customer", "migration",  "quarterly",    "planning",
    "design",  "metrics", "hiring",   "security",   "backlog",  "incident",   "vendor",       "contract",
    "launch",  "pricing", "platform", "analytics",  "support",  "onboarding", "architecture", "retro",
    "demo",    "sprint",  "risk",     "compliance", "partner",  "renewal",    "forecast",     "latency",
    "mobile",  "billing", "search",   "storage",    "network",  "training",   "feedback",     "handover"};
constexpr std::array<std::string_view, 12> kNames{"Anna Schmidt", "Ben Carter",   "Chloé Martin", "Dev Patel",
                                                  "Eva Novak",    "Femi Adeyemi", "Grace Liu",    "Hiro Tanaka",
                                                  "Ines Duarte",  "Jonas Berg",   "Kira Ivanova", "Liam O'Brien"};

std::string joinLink(Service service, Random& random) {
  switch (service) {
    case Service::teams:
      return "https://teams.microsoft.com/l/meetup-join/19%3ameeting_" + alphanumerics(random, 48) +
             "%40thread.v2/0?context=%7b%22Tid%22%3a%22" + guid(random) + "%22%2c%22Oid%22%3a%22" + guid(random) +
             "%22%7d";
    case Service::zoom:
      return "https://us0" + digits(random, 1) + "web.zoom.us/j/" + digits(random, 11) +
             "?pwd=" + alphanumerics(random, 32);
    case Service::meet: {
      const std::string code = alphanumerics(random, 10);
      return "https://meet.google.com/" + code.substr(0, 3) + "-" + code.substr(3, 4) + "-" + code.substr(7);
    }
    case Service::webex: return "https://acme.webex.com/acme/j.php?MTID=m" + alphanumerics(random, 32);
    case Service::whereby: return "https://whereby.com/acme-" + std::string(random.pick(kWords));
    case Service::none: return {};
  }
  return {};
}

// Where each service puts its link: Teams and Webex at the end of a long HTML body, Zoom
// also in the location, Meet in a short block near the top.
std::string serviceBlock(Service service, const std::string& link, Random& random) {
  switch (service) {
    case Service::teams:
      return "<div style=\"width:100%\">" + std::string(80, '_') +
             "</div>\n<div><span style=\"font-size:24px;font-weight:600\">Microsoft Teams meeting</span></div>\n"
             "<div><span>Join on your computer, mobile app or room device</span></div>\n<div><a href=\"" +
             link +
             "\" target=\"_blank\" rel=\"noreferrer noopener\">Click here to join the meeting</a></div>\n"
             "<div>Meeting ID: " +
             digits(random, 3) + " " + digits(random, 3) + " " + digits(random, 3) + " " + digits(random, 3) +
             "</div>\n<div>Passcode: " + alphanumerics(random, 6) +
             "</div>\n<div><a href=\"https://www.microsoft.com/microsoft-teams/download-app\">Download Teams</a> | "
             "<a href=\"https://www.microsoft.com/microsoft-teams/join-a-meeting\">Join on the web</a></div>\n"
             "<div><a href=\"https://aka.ms/JoinTeamsMeeting\">Learn More</a> | <a "
             "href=\"https://teams.microsoft.com/meetingOptions/?organizerId=" +
             guid(random) + "&tenantId=" + guid(random) + "\">Meeting options</a></div>\n<div>" + std::string(80, '_') +
             "</div>\n";
    case Service::zoom:
      return "<p>Join Zoom Meeting<br>\n<a href=\"" + link + "\">" + link +
             "</a></p>\n<p>Meeting ID: " + digits(random, 11) + "<br>\nPasscode: " + digits(random, 6) +
             "</p>\n<p>One tap mobile<br>\n+4969380" + digits(random, 5) + ",," + digits(random, 11) +
             "# Germany</p>\n";
    case Service::meet:
      return "<p>Google Meet joining info<br>\nVideo call link: <a href=\"" + link + "\">" + link +
             "</a><br>\nOr dial: (DE) +49 30 " + digits(random, 8) + " PIN: " + digits(random, 9) + "#</p>\n";
    case Service::webex:
      return "<p>Join Webex meeting: <a href=\"" + link + "\">" + link +
             "</a><br>\nMeeting number: " + digits(random, 10) + "</p>\n";
    case Service::whereby: return "<p>Join the room: " + link + "</p>\n";
    case Service::none:
      return "<p>Room " + digits(random, 3) + ", building " + std::string(1, static_cast<char>('A' + random.below(4))) +
             ". Dial-in: +49 89 " + digits(random, 8) + "</p>\n";
  }
  return {};
}

std::string sentence(Random& random) {
  std::string out = "Let us go through the";
  const int words = random.between(6, 14);
  for (int i = 0; i < words; ++i) {
    out += ' ';
    out += random.pick(kWords);
    if (i % 5 == 4) out += ',';
  }
  return out + "; notes from the last " + std::string(random.pick(kWords)) + " are attached.";
}

}  // namespace

std::string_view randomWord(Random& random) { return random.pick(kWords); }
std::string_view randomName(Random& random) { return random.pick(kNames); }

Service pickService(Random& random) {
  const int roll = random.below(100);
  if (roll < 50) return Service::teams;
  if (roll < 75) return Service::zoom;
  if (roll < 88) return Service::meet;
  if (roll < 93) return Service::webex;
  if (roll < 96) return Service::whereby;
  return Service::none;
}

Invite makeInvite(Service service, Random& random) {
  const std::string link = joinLink(service, random);
  const std::string block = serviceBlock(service, link, random);
  // Most invites are a screen long; three in ten carry pages of agenda.
  const std::size_t target =
      static_cast<std::size_t>(random.chance(30) ? random.between(1500, 3200) : random.between(300, 800));

  std::string html =
      "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n</head>\n"
      "<body>\n<div>Hi all,</div>\n";
  if (service == Service::meet) html += block;
  for (int item = 0; html.size() + block.size() < target; ++item) {
    html += item % 4 == 0 ? "<p>" + sentence(random) + "</p>\n" : "<li>" + sentence(random) + "</li>\n";
  }
  if (service != Service::meet) html += block;
  html += "<div>Best regards,<br>\n" + std::string(random.pick(kNames)) + "</div>\n</body>\n</html>";

  Invite invite;
  invite.description = std::move(html);
  switch (service) {
    case Service::teams: invite.location = "Microsoft Teams Meeting"; break;
    case Service::zoom: invite.location = link; break;
    case Service::webex: invite.location = link; break;
    case Service::none: invite.location = "Room " + digits(random, 3); break;
    default: break;
  }
  return invite;
}

}  // namespace CorlaMeetings::Bench
