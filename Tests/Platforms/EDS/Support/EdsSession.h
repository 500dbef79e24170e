#pragma once

#include <gtest/gtest.h>

#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <optional>
#include <string>

#include "Platforms/Qt/PrivateSessionBus.h"

namespace CorlaMeetings::Testing {

// A private session bus on which Evolution Data Server's registry and calendar factory start
// by D-Bus activation, with a temporary home, XDG folders and in-memory settings: nothing
// of the user's own calendars can answer, and nothing is written outside the folder. EDS
// takes seconds to start, so one serves every test of the binary. Set as this process's
// session bus and folders before anything of GLib runs.
class EdsSession : public ::testing::Environment {
 public:
  static EdsSession& get() { return *instance_; }

  EdsSession() { instance_ = this; }
  void SetUp() override;
  void TearDown() override;

  bool ready() const { return !address_.empty(); }
  const std::string& home() const { return home_; }
  // For a program run on this bus (velto), with the same folders.
  QProcessEnvironment environment() const { return environment_; }

  // The process that owns a bus name on this bus, or 0.
  int ownerOf(const char* busName) const;
  // Kills the calendar factory (only ours: found through this bus); false if none ran.
  bool killCalendarFactory() const;

 private:
  static inline EdsSession* instance_ = nullptr;
  QTemporaryDir directory_;
  std::optional<PrivateSessionBus> bus_;
  std::string address_;
  std::string home_;
  QProcessEnvironment environment_;
};

}  // namespace CorlaMeetings::Testing
