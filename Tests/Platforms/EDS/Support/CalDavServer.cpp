#include "Platforms/EDS/Support/CalDavServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace CorlaMeetings::Testing {

namespace {

// A port nobody listens on now, from the kernel.
int freePort() {
  int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(socket);
  return port;
}

bool accepts(int port) {
  int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  bool connected = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(socket);
  return connected;
}

void write(const QString& path, const std::string& text) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(text.data(), static_cast<qint64>(text.size()));
}

}  // namespace

CalDavServer::CalDavServer() : port_(freePort()) {
  const QString root = directory_.path();
  QDir().mkpath(root + "/collection-root/ann/work");
  write(root + "/collection-root/ann/work/.Radicale.props", R"({"tag": "VCALENDAR"})");
  write(root + "/rights", "[all]\nuser: .*\ncollection: .*\npermissions: RrWw\n");
  server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  server_.start("radicale", {"--server-hosts", QString("127.0.0.1:%1").arg(port_), "--auth-type", "none",
                             "--rights-type", "from_file", "--rights-file", root + "/rights",
                             "--storage-filesystem-folder", root, "--logging-level", "warning"});
  server_.waitForStarted(10000);
  QDeadlineTimer deadline(15000);
  while (running() && !accepts(port_) && !deadline.hasExpired()) QThread::msleep(50);
}

std::string CalDavServer::calendarUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/ann/work/"; }

void CalDavServer::put(const std::string& fileName, const std::string& calendarText) {
  write(directory_.path() + "/collection-root/ann/work/" + QString::fromStdString(fileName), calendarText);
}

void CalDavServer::stop() {
  if (server_.state() == QProcess::NotRunning) return;
  server_.terminate();
  if (!server_.waitForFinished(5000)) server_.kill();
  server_.waitForFinished(3000);
}

}  // namespace CorlaMeetings::Testing
