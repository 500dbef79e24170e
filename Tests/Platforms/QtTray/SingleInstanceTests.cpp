#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <chrono>
#include <future>
#include <memory>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/PrivateSessionBus.h"
#include "QtTray/ControlClient.h"
#include "QtTray/ControlService.h"
#include "QtTray/SingleInstance.h"

namespace CorlaMeetings::Testing {
namespace {

class SingleInstanceOnBus : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon did not start"; }

  // The running instance, with its commands counted.
  void startInstance() {
    QDBusConnection connection = bus_.connect();
    service_ = std::make_unique<ControlService>(
        connection,
        [this] {
          ++joins_;
          return joinAnswer_;
        },
        [this] { ++refreshes_; });
    ASSERT_TRUE(service_->isExported());
    instance_ = std::make_unique<SingleInstance>(connection);
    ASSERT_TRUE(instance_->isFirst());
  }

  // As "velto --join-next" sends it, from a process of its own: another connection, another
  // thread, while this one runs the instance's event loop.
  ControlReply send(ControlCommand command) {
    QDBusConnection client = bus_.connect();
    std::future<ControlReply> reply =
        std::async(std::launch::async, [client, command] { return sendControlCommand(client, command); });
    runEventsUntil([&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 5000);
    return reply.get();
  }

  PrivateSessionBus& bus_ = testBus();
  std::unique_ptr<ControlService> service_;
  std::unique_ptr<SingleInstance> instance_;
  bool joinAnswer_ = true;
  int joins_ = 0;
  int refreshes_ = 0;
};

TEST_F(SingleInstanceOnBus, ASecondLaunchLearnsItIsNotFirstAndDoesNotQueue) {
  auto first = std::make_unique<SingleInstance>(bus_.connect());
  SingleInstance second(bus_.connect());
  EXPECT_TRUE(first->isFirst());
  EXPECT_FALSE(second.isFirst() || second.ownsName());

  // Had the refused one queued for the name, it would hold it now.
  first.reset();
  QDBusConnection observer = bus_.connect();
  EXPECT_TRUE(runEventsUntil([&] { return !observer.interface()->isServiceRegistered("org.velto.Velto").value(); }));
  EXPECT_TRUE(SingleInstance(bus_.connect()).isFirst());
}

TEST_F(SingleInstanceOnBus, CommandsReachTheRunningInstanceAndItsAnswerComesBack) {
  startInstance();

  const ControlReply joined = send(ControlCommand::joinNextMeeting);
  joinAnswer_ = false;
  const ControlReply nothingToJoin = send(ControlCommand::joinNextMeeting);
  const ControlReply refreshed = send(ControlCommand::refresh);

  EXPECT_TRUE(joined.answered && joined.joined) << joined.error;
  EXPECT_TRUE(nothingToJoin.answered && !nothingToJoin.joined) << nothingToJoin.error;
  EXPECT_TRUE(refreshed.answered) << refreshed.error;
  EXPECT_EQ(std::pair(joins_, refreshes_), std::pair(2, 1));
}

TEST_F(SingleInstanceOnBus, ACommandNobodyAnswersFailsWithAReason) {
  ControlReply notRunning = send(ControlCommand::refresh);
  EXPECT_FALSE(notRunning.answered);
  EXPECT_EQ(notRunning.error, "velto is not running");
  ControlReply noBus = sendControlCommand(QDBusConnection(QStringLiteral("velto-no-bus")), ControlCommand::refresh);
  EXPECT_FALSE(noBus.answered);
  EXPECT_FALSE(noBus.error.empty());

  startInstance();
  // From the instance's own thread, which cannot answer while the call blocks it.
  ControlReply stuck = sendControlCommand(bus_.connect(), ControlCommand::joinNextMeeting, 200);
  EXPECT_FALSE(stuck.answered);
  EXPECT_EQ(stuck.error, "velto did not answer");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
