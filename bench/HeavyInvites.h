#pragma once

#include <string>
#include <string_view>

#include "BenchRandom.h"

namespace CorlaMeetings::Bench {

// The meeting service an invite is for, drawn by how common each is; none: a room.
enum class Service { teams, zoom, meet, webex, whereby, none };
Service pickService(Random& random);

// What the meeting services write into an invite.
struct Invite {
  std::string location;
  std::string description;  // HTML, unescaped
};
Invite makeInvite(Service service, Random& random);

// A word of office jargon, and a person's name.
std::string_view randomWord(Random& random);
std::string_view randomName(Random& random);

}  // namespace CorlaMeetings::Bench
