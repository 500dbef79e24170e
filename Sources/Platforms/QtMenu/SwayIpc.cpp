#include "QtMenu/SwayIpc.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>

namespace CorlaMeetings {

namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr int kMagicSize = 6;
constexpr int kHeaderSize = kMagicSize + 8;  // then the payload's length and type, 32 bits each
constexpr quint32 kRunCommand = 0;
constexpr quint32 kGetWorkspaces = 1;
// A workspace list is a few kilobytes; anything far larger is not one.
constexpr quint32 kLargestReply = 1 << 20;

QByteArray socketPath() {
  QByteArray path = qgetenv("SWAYSOCK");
  return path.isEmpty() ? qgetenv("I3SOCK") : path;
}

// A connected, non-blocking stream socket, closed with this object.
class IpcSocket {
 public:
  explicit IpcSocket(const QByteArray& path) {
    sockaddr_un address{};
    if (path.size() >= qsizetype(sizeof address.sun_path)) return;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), path.size());
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) close();
  }
  ~IpcSocket() { close(); }
  IpcSocket(const IpcSocket&) = delete;
  IpcSocket& operator=(const IpcSocket&) = delete;

  bool isOpen() const { return fd_ >= 0; }

  // All of `data`, or false when the deadline passes first.
  bool writeAll(const QByteArray& data, const QDeadlineTimer& deadline) {
    for (qsizetype done = 0; done < data.size();) {
      if (!wait(POLLOUT, deadline)) return false;
      const ssize_t n = send(fd_, data.constData() + done, data.size() - done, MSG_NOSIGNAL);
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (n > 0) done += n;
    }
    return true;
  }

  // Exactly `size` bytes, or fewer when the deadline passes or the peer goes.
  QByteArray read(qsizetype size, const QDeadlineTimer& deadline) {
    QByteArray data(size, Qt::Uninitialized);
    qsizetype done = 0;
    while (done < size && wait(POLLIN, deadline)) {
      const ssize_t n = recv(fd_, data.data() + done, size - done, 0);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
      if (n > 0) done += n;
    }
    data.truncate(done);
    return data;
  }

 private:
  bool wait(short events, const QDeadlineTimer& deadline) {
    pollfd entry{fd_, events, 0};
    return poll(&entry, 1, int(deadline.remainingTime())) > 0;
  }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
};

// Sends one message and returns its reply's payload; empty on any failure.
QByteArray request(quint32 type, const QByteArray& payload, int timeoutMilliseconds) {
  const QByteArray path = socketPath();
  if (path.isEmpty()) return {};
  const QDeadlineTimer deadline(timeoutMilliseconds);
  IpcSocket socket(path);
  if (!socket.isOpen()) return {};

  // The protocol's integers are in the machine's own byte order.
  QByteArray message(kMagic, kMagicSize);
  const quint32 header[2] = {quint32(payload.size()), type};
  message.append(reinterpret_cast<const char*>(header), sizeof header);
  message.append(payload);
  if (!socket.writeAll(message, deadline)) return {};

  const QByteArray replyHeader = socket.read(kHeaderSize, deadline);
  if (replyHeader.size() != kHeaderSize || !replyHeader.startsWith(kMagic)) return {};
  quint32 length = 0;
  quint32 replyType = 0;
  std::memcpy(&length, replyHeader.constData() + kMagicSize, sizeof length);
  std::memcpy(&replyType, replyHeader.constData() + kMagicSize + 4, sizeof replyType);
  if (replyType != type || length > kLargestReply) return {};
  const QByteArray reply = socket.read(length, deadline);
  return reply.size() == qsizetype(length) ? reply : QByteArray();
}

}  // namespace

bool hasSwayIpc() { return !socketPath().isEmpty(); }

std::vector<QRect> visibleWorkspaceAreas(int timeoutMilliseconds) {
  if (!hasSwayIpc()) return {};
  return visibleWorkspaceAreas(request(kGetWorkspaces, {}, timeoutMilliseconds));
}

bool moveOwnWindow(QPoint topLeft, int timeoutMilliseconds) {
  if (!hasSwayIpc()) return false;
  // A drop-down has no title bar: the border goes too.
  const QByteArray command = QStringLiteral("[pid=%1] border none, move absolute position %2 px %3 px")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(topLeft.x())
                                 .arg(topLeft.y())
                                 .toUtf8();
  // One result per command, each {"success": bool, ...}.
  const QJsonArray results = QJsonDocument::fromJson(request(kRunCommand, command, timeoutMilliseconds)).array();
  for (const QJsonValue& result : results) {
    if (!result.toObject().value(QLatin1String("success")).toBool()) return false;
  }
  return !results.isEmpty();
}

std::vector<QRect> visibleWorkspaceAreas(const QByteArray& reply) {
  std::vector<QRect> areas;
  const QJsonDocument document = QJsonDocument::fromJson(reply);
  for (const QJsonValue& value : document.array()) {
    const QJsonObject workspace = value.toObject();
    if (!workspace.value(QLatin1String("visible")).toBool()) continue;
    const QJsonObject rect = workspace.value(QLatin1String("rect")).toObject();
    const QRect area(rect.value(QLatin1String("x")).toInt(), rect.value(QLatin1String("y")).toInt(),
                     rect.value(QLatin1String("width")).toInt(), rect.value(QLatin1String("height")).toInt());
    if (area.isValid()) areas.push_back(area);
  }
  return areas;
}

}  // namespace CorlaMeetings
