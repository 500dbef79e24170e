#include "Qt/QtRunLoop.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

namespace CorlaMeetings {

namespace {

// Qt lets a coarse timer drift by a twentieth of its interval.
constexpr int kCoarseTimerSlackDivisor = 20;

// What a QTimer takes: whole milliseconds in an int.
int milliseconds(Duration d, int shortest) {
  const auto rounded = std::chrono::ceil<std::chrono::milliseconds>(d).count();
  return static_cast<int>(
      std::clamp<std::chrono::milliseconds::rep>(rounded, shortest, std::numeric_limits<int>::max()));
}

// A QTimer is deleted from the event loop, never on the spot: the handle may be going away
// inside the timer's own timeout.
void dispose(QPointer<QTimer>& timer) {
  if (!timer) return;
  timer->stop();
  timer->deleteLater();
  timer = nullptr;
}

class QtTimer : public Timer {
 public:
  explicit QtTimer(QTimer* timer) : timer_(timer) {}
  ~QtTimer() override { invalidate(); }

  void setTolerance(Duration tolerance) override {
    if (!timer_) return;
    const Duration slack = Duration(std::chrono::milliseconds(timer_->interval())) / kCoarseTimerSlackDivisor;
    Qt::TimerType type = tolerance >= slack ? Qt::CoarseTimer : Qt::PreciseTimer;
    if (type == timer_->timerType()) return;
    timer_->setTimerType(type);
    if (timer_->isActive()) timer_->start();  // the type is taken when the timer starts
  }

  void invalidate() override { dispose(timer_); }

 private:
  QPointer<QTimer> timer_;
};

class QtDelayedWork : public DelayedWork {
 public:
  explicit QtDelayedWork(QTimer* timer) : timer_(timer) {}
  ~QtDelayedWork() override { cancel(); }

  void cancel() override { dispose(timer_); }

 private:
  QPointer<QTimer> timer_;
};

}  // namespace

QtRunLoop::QtRunLoop() : context_(std::make_unique<QObject>()) {}

QtRunLoop::~QtRunLoop() = default;

std::unique_ptr<Timer> QtRunLoop::scheduleRepeatingTimer(Duration interval, std::function<void()> action) {
  auto* timer = new QTimer(context_.get());
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, timer, [action = std::move(action)] {
    if (action) action();
  });
  timer->start(milliseconds(interval, 1));
  return std::make_unique<QtTimer>(timer);
}

std::unique_ptr<DelayedWork> QtRunLoop::runAfter(Duration delay, std::function<void()> work) {
  // Precise, so that work items due at the same time run in the order they were scheduled.
  auto* timer = new QTimer(context_.get());
  timer->setTimerType(Qt::PreciseTimer);
  timer->setSingleShot(true);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, work = std::move(work)] {
    // Deleted later, after the work: the work may cancel or drop its own handle.
    timer->deleteLater();
    if (work) work();
  });
  timer->start(milliseconds(delay, 0));
  return std::make_unique<QtDelayedWork>(timer);
}

void QtRunLoop::postTask(std::function<void()> task) {
  QMetaObject::invokeMethod(
      context_.get(),
      [task = std::move(task)] {
        if (task) task();
      },
      Qt::QueuedConnection);
}

}  // namespace CorlaMeetings
