#include "QtMenu/SwayIpc.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>
#include <string>
#include <thread>

namespace CorlaMeetings::Testing {
namespace {

// A compositor's IPC socket that answers one message with `reply` and records what it got.
class FakeSwaySocket {
 public:
  FakeSwaySocket(std::uint32_t replyType, std::string reply) {
    path_ = directory_.filePath(QStringLiteral("ipc.sock")).toStdString();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
    server_ = std::thread([this, replyType, reply] {
      const int peer = accept(listener_, nullptr, nullptr);
      char header[14];
      if (peer < 0 || recv(peer, header, sizeof header, MSG_WAITALL) != sizeof header) return;
      std::uint32_t length = 0;
      std::memcpy(&length, header + 6, 4);
      std::memcpy(&receivedType, header + 10, 4);
      received.resize(length);
      if (length > 0) recv(peer, received.data(), length, MSG_WAITALL);
      std::string answer = "i3-ipc";
      const std::uint32_t answerHeader[2] = {std::uint32_t(reply.size()), replyType};
      answer.append(reinterpret_cast<const char*>(answerHeader), sizeof answerHeader);
      answer += reply;
      send(peer, answer.data(), answer.size(), MSG_NOSIGNAL);
      close(peer);
    });
    qputenv("SWAYSOCK", QByteArray::fromStdString(path_));
  }
  ~FakeSwaySocket() {
    shutdown(listener_, SHUT_RDWR);
    server_.join();
    close(listener_);
    qunsetenv("SWAYSOCK");
  }

  std::uint32_t receivedType = 99;
  std::string received;

 private:
  QTemporaryDir directory_;
  std::string path_;
  int listener_ = -1;
  std::thread server_;
};

TEST(SwayIpc, ReadsTheAreasOfTheWorkspacesShown) {
  FakeSwaySocket sway(1, R"([
      {"name": "1", "visible": true, "output": "DP-1", "rect": {"x": 0, "y": 30, "width": 1280, "height": 770}},
      {"name": "2", "visible": false, "rect": {"x": 0, "y": 30, "width": 1280, "height": 770}},
      {"name": "3", "visible": true, "rect": {"x": 1280, "y": 0, "width": 1920, "height": 1050}}])");
  const std::vector<QRect> areas = visibleWorkspaceAreas();
  EXPECT_EQ(sway.receivedType, 1u);
  EXPECT_EQ(areas, (std::vector<QRect>{{0, 30, 1280, 770}, {1280, 0, 1920, 1050}}));
}

TEST(SwayIpc, MovesOnlyThisProcesssWindowAndSaysWhetherItMoved) {
  {
    FakeSwaySocket sway(0, R"([{"success": true}, {"success": true}])");
    EXPECT_TRUE(moveOwnWindow(QPoint(870, 30)));
    EXPECT_EQ(sway.receivedType, 0u);
    EXPECT_EQ(sway.received, "[pid=" + std::to_string(getpid()) + "] border none, move absolute position 870 px 30 px");
  }
  FakeSwaySocket notMapped(0, R"([{"success": false, "error": "No matching node."}])");
  EXPECT_FALSE(moveOwnWindow(QPoint(870, 30)));
}

TEST(SwayIpc, AnswersNothingWhenThereIsNoCompositorOrNoSense) {
  qunsetenv("SWAYSOCK");
  qunsetenv("I3SOCK");
  EXPECT_FALSE(hasSwayIpc());
  EXPECT_TRUE(visibleWorkspaceAreas().empty());
  {
    FakeSwaySocket wrongType(4, "[]");
    EXPECT_TRUE(visibleWorkspaceAreas().empty());
  }
  for (const char* reply : {"", "{}", "not json", R"([{"visible": true, "rect": {"width": -5}}])"}) {
    EXPECT_TRUE(visibleWorkspaceAreas(QByteArray(reply)).empty()) << reply;
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
