#pragma once

#include <string>
#include <utility>

namespace CorlaMeetings {

// One step in the life of a calendar's components, as its view reports them.
struct ComponentChange {
  enum class Kind {
    beginLoad,   // a view starts delivering the whole calendar
    endLoad,     // it is done; `keep` says whether what it delivered replaces what was
    put,         // the component `uid`/`rid` is `text`
    remove,      // the component `uid`/`rid` is gone
    defineZone,  // the zone `uid` (a TZID) is the VTIMEZONE `text`
  };
  Kind kind = Kind::put;
  std::string uid;
  std::string rid;
  std::string text;
  bool keep = true;

  static ComponentChange beginLoad() { return {Kind::beginLoad, {}, {}, {}, true}; }
  static ComponentChange endLoad(bool keep) { return {Kind::endLoad, {}, {}, {}, keep}; }
  static ComponentChange put(std::string uid, std::string rid, std::string text) {
    return {Kind::put, std::move(uid), std::move(rid), std::move(text), true};
  }
  static ComponentChange remove(std::string uid, std::string rid) {
    return {Kind::remove, std::move(uid), std::move(rid), {}, true};
  }
  static ComponentChange defineZone(std::string tzid, std::string text) {
    return {Kind::defineZone, std::move(tzid), {}, std::move(text), true};
  }
};

}  // namespace CorlaMeetings
