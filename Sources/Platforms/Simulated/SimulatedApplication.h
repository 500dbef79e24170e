#pragma once

#include "app/Application.h"

namespace CorlaMeetings {

// The process as a test sees it. Terminating stops nothing: a test or demo that drives the
// run loop checks isTerminated to know when to stop. Main thread.
class SimulatedApplication : public Application {
 public:
  void setAccessoryActivationPolicy() override { accessory_ = true; }
  void terminate() override { ++terminateCount_; }

  bool isAccessory() const { return accessory_; }
  int terminateCount() const { return terminateCount_; }
  bool isTerminated() const { return terminateCount_ > 0; }

 private:
  bool accessory_ = false;
  int terminateCount_ = 0;
};

}  // namespace CorlaMeetings
