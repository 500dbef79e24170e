#pragma once

// A tiny HTTP/1.1 server on 127.0.0.1 for subscription tests: serves given responses, one
// connection at a time, on a thread of its own. It can stall, stream without end, or
// redirect, to show how the fetcher copes.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace CorlaMeetings::testing_support {

class LocalHttpServer {
 public:
  struct Response {
    int status = 200;
    std::string body;
    std::vector<std::string> headers;         // extra lines, as "Name: value"
    bool declareLength = true;                // false: the body ends when the connection does
    std::chrono::milliseconds stallBeforeBody{0};
    std::size_t endlessChunkBytes = 0;        // not 0: after `body`, chunks of this size until the client leaves
  };

  LocalHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(wake_, O_CLOEXEC) != 0) {
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
  }

  ~LocalHttpServer() {
    stopping_ = true;
    [[maybe_unused]] ssize_t written = ::write(wake_[1], "x", 1);
    thread_.join();
    ::close(listener_);
    ::close(wake_[0]);
    ::close(wake_[1]);
  }

  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  void serve(const std::string& path, Response response) {
    std::lock_guard lock(mutex_);
    responses_[path] = std::move(response);
  }

  int requestCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto found = requests_.find(path);
    return found == requests_.end() ? 0 : found->second;
  }

  std::size_t bytesSent() const { return bytesSent_; }

 private:
  // Waits up to `milliseconds` for `fd`, returning early (false) when the server stops.
  bool waitFor(int fd, short events, int milliseconds) {
    pollfd descriptors[] = {{fd, events, 0}, {wake_[0], POLLIN, 0}};
    int ready = ::poll(descriptors, 2, milliseconds);
    return ready > 0 && descriptors[0].revents != 0 && !stopping_;
  }

  bool sendAll(int client, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
      if (!waitFor(client, POLLOUT, 2000)) return false;
      ssize_t count = ::send(client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (count <= 0) return false;
      sent += static_cast<std::size_t>(count);
      bytesSent_ += static_cast<std::size_t>(count);
    }
    return true;
  }

  void run() {
    while (!stopping_) {
      if (!waitFor(listener_, POLLIN, -1)) continue;
      int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      handle(client);
      ::close(client);
    }
  }

  void handle(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      if (!waitFor(client, POLLIN, 2000)) return;
      ssize_t count = ::recv(client, buffer, sizeof buffer, 0);
      if (count <= 0) return;
      request.append(buffer, static_cast<std::size_t>(count));
    }
    std::size_t pathStart = request.find(' ') + 1;
    std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    Response response;
    {
      std::lock_guard lock(mutex_);
      ++requests_[path];
      auto found = responses_.find(path);
      response = found != responses_.end() ? found->second : Response{.status = 404, .body = "not here"};
    }
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " Answer\r\nConnection: close\r\n";
    if (response.declareLength && response.endlessChunkBytes == 0) {
      head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    }
    for (const std::string& header : response.headers) head += header + "\r\n";
    if (!sendAll(client, head + "\r\n")) return;
    if (response.stallBeforeBody.count() > 0) {
      pollfd wake{wake_[0], POLLIN, 0};
      ::poll(&wake, 1, static_cast<int>(response.stallBeforeBody.count()));
      if (stopping_) return;
    }
    if (!sendAll(client, response.body)) return;
    std::string chunk(response.endlessChunkBytes, 'x');
    while (!chunk.empty() && sendAll(client, chunk)) {
    }
  }

  int listener_ = -1;
  int wake_[2] = {-1, -1};
  unsigned short port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<std::size_t> bytesSent_{0};
  mutable std::mutex mutex_;
  std::map<std::string, Response> responses_;
  std::map<std::string, int> requests_;
  std::thread thread_;
};

}  // namespace CorlaMeetings::testing_support
