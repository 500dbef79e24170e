#pragma once

#include <mutex>

namespace CorlaMeetings {

// The lock the program holds around its own libical calls (EdsClientHost::libical): the
// module's calls into libical go through it too.
std::mutex& hostLibicalLock();

}  // namespace CorlaMeetings
