#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace CorlaMeetings {

// Runs the Qt event loop until `done` holds or `limitMilliseconds` have passed; returns
// `done()`. Tests wait on real events this way without ever hanging.
inline bool runEventsUntil(const std::function<bool()>& done, int limitMilliseconds = 3000) {
  if (done()) return true;
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  poll.start(2);
  deadline.start(limitMilliseconds);
  loop.exec();
  return done();
}

// Runs the event loop for a while, for checking that something does not happen.
inline void runEventsFor(int milliseconds) {
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  deadline.start(milliseconds);
  loop.exec();
}

}  // namespace CorlaMeetings
