#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/PrivateSessionBus.h"
#include "QtTray/ControlClient.h"
#include "QtTray/ControlService.h"
#include "QtTray/SingleInstance.h"

namespace CorlaMeetings {
namespace {

class SingleInstanceOnBus : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon did not start"; }

  PrivateSessionBus bus_;
};

TEST_F(SingleInstanceOnBus, ASecondLaunchLearnsItIsNotFirst) {
  auto first = std::make_unique<SingleInstance>(bus_.connect());
  SingleInstance second(bus_.connect());

  EXPECT_TRUE(first->isFirst());
  EXPECT_TRUE(first->ownsName());
  EXPECT_FALSE(second.isFirst());
  EXPECT_FALSE(second.ownsName());

  // The refused one did not queue for the name: when the first goes, nobody holds it.
  first.reset();
  QDBusConnection observer = bus_.connect();
  EXPECT_TRUE(runEventsUntil([&] { return !observer.interface()->isServiceRegistered("org.velto.Velto").value(); }));
  SingleInstance third(bus_.connect());
  EXPECT_TRUE(third.isFirst());
}

// The running instance: its name, its commands, and what they reached.
class ControlOnBus : public SingleInstanceOnBus {
 protected:
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

  // As "velto --join-next" does it, from a process of its own: another connection, another
  // thread, while this one runs the instance's event loop.
  ControlReply send(ControlCommand command) {
    QDBusConnection client = bus_.connect();
    std::future<ControlReply> reply =
        std::async(std::launch::async, [client, command] { return sendControlCommand(client, command); });
    runEventsUntil([&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 5000);
    return reply.get();
  }

  std::unique_ptr<ControlService> service_;
  std::unique_ptr<SingleInstance> instance_;
  bool joinAnswer_ = true;
  int joins_ = 0;
  int refreshes_ = 0;
};

TEST_F(ControlOnBus, CommandsReachTheRunningInstance) {
  startInstance();

  ControlReply joined = send(ControlCommand::joinNextMeeting);
  joinAnswer_ = false;
  ControlReply nothingToJoin = send(ControlCommand::joinNextMeeting);
  ControlReply refreshed = send(ControlCommand::refresh);

  EXPECT_TRUE(joined.answered) << joined.error;
  EXPECT_TRUE(joined.joined);
  EXPECT_TRUE(nothingToJoin.answered) << nothingToJoin.error;
  EXPECT_FALSE(nothingToJoin.joined);
  EXPECT_TRUE(refreshed.answered) << refreshed.error;
  EXPECT_EQ(joins_, 2);
  EXPECT_EQ(refreshes_, 1);
}

TEST_F(ControlOnBus, ACommandWithoutARunningInstanceFailsWithAReason) {
  for (ControlCommand command : {ControlCommand::joinNextMeeting, ControlCommand::refresh}) {
    ControlReply reply = send(command);
    EXPECT_FALSE(reply.answered);
    EXPECT_FALSE(reply.joined);
    EXPECT_EQ(reply.error, "velto is not running");
  }
  ControlReply noBus = sendControlCommand(QDBusConnection(QStringLiteral("velto-no-bus")), ControlCommand::refresh);
  EXPECT_FALSE(noBus.answered);
  EXPECT_FALSE(noBus.error.empty());
}

TEST_F(ControlOnBus, AnInstanceThatDoesNotAnswerInTimeIsGivenUp) {
  startInstance();
  // Called from the instance's own thread, which cannot answer while the call blocks it.
  ControlReply reply = sendControlCommand(bus_.connect(), ControlCommand::joinNextMeeting, 200);

  EXPECT_FALSE(reply.answered);
  EXPECT_EQ(reply.error, "velto did not answer");
}

}  // namespace
}  // namespace CorlaMeetings
