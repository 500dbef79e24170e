#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace CorlaMeetings::Testing {

// Runs the Qt event loop until `done` holds or `limitMilliseconds` have passed; returns
// `done()`. Tests wait on real events this way without ever hanging.
inline bool runEventsUntil(const std::function<bool()>& done, int limitMilliseconds = 3000) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(limitMilliseconds, &loop, &QEventLoop::quit);
  poll.start(2);
  if (!done()) loop.exec();
  return done();
}

// Runs the event loop for a while, for checking that something does not happen.
inline void runEventsFor(int milliseconds) {
  runEventsUntil([] { return false; }, milliseconds);
}

}  // namespace CorlaMeetings::Testing
