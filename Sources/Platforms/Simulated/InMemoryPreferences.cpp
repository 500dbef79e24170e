#include "Simulated/InMemoryPreferences.h"

namespace CorlaMeetings {

bool InMemoryPreferences::boolForKey(const std::string& key) const { return integerForKey(key) != 0; }

std::int64_t InMemoryPreferences::integerForKey(const std::string& key) const {
  auto found = values_.find(key);
  if (found == values_.end()) return 0;
  return std::visit([](auto value) { return static_cast<std::int64_t>(value); }, found->second);
}

std::set<std::string> InMemoryPreferences::keys() const {
  std::set<std::string> keys;
  for (const auto& [key, value] : values_) keys.insert(key);
  return keys;
}

}  // namespace CorlaMeetings
