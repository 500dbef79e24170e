#pragma once

// A tiny HTTP/1.1 server on 127.0.0.1 for subscription tests: serves given responses, one
// connection at a time, on a thread of its own. It can stall or stream without end, to
// show how the fetcher copes.

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace CorlaMeetings::Testing {

class LocalHttpServer {
 public:
  struct Response {
    int status = 200;
    std::string body;
    std::vector<std::string> headers;  // extra lines, as "Name: value"
    bool stall = false;                // after the head, nothing until the client leaves
    bool endless = false;              // after the body, more until the client leaves
  };

  LocalHttpServer() {
    sockaddr_in address{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}};
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
  }

  // Shutting the sockets down ends a waiting accept, a stall and an endless body.
  ~LocalHttpServer() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::shutdown(client_, SHUT_RDWR);
    thread_.join();
    for (int fd : clients_) ::close(fd);
    ::close(listener_);
  }

  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  void serve(const std::string& path, Response response) {
    std::lock_guard lock(mutex_);
    responses_[path] = std::move(response);
  }

  int requests() const { return requests_; }

 private:
  void run() {
    for (int client; (client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
      clients_.push_back(client);  // closed last, so that client_ never names another file
      client_ = client;
      if (stopping_) return;
      handle(client);
      ::shutdown(client, SHUT_RDWR);
    }
  }

  void handle(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t count = ::recv(client, buffer, sizeof buffer, 0);
      if (count <= 0) return;
      request.append(buffer, static_cast<std::size_t>(count));
    }
    const std::size_t pathStart = request.find(' ') + 1;
    const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    ++requests_;
    Response response{.status = 404, .body = "not here"};
    {
      std::lock_guard lock(mutex_);
      if (auto found = responses_.find(path); found != responses_.end()) response = found->second;
    }
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " Answer\r\nConnection: close\r\n";
    if (!response.endless) head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    for (const std::string& header : response.headers) head += header + "\r\n";
    const std::string more(1 << 16, 'x');
    if (!sendAll(client, head + "\r\n")) return;
    if (response.stall) {
      while (::recv(client, buffer, sizeof buffer, 0) > 0) {  // until the client leaves
      }
    } else if (sendAll(client, response.body)) {
      while (response.endless && sendAll(client, more)) {
      }
    }
  }

  static bool sendAll(int client, const std::string& bytes) {
    ssize_t count = 0;
    for (std::size_t sent = 0; sent < bytes.size(); sent += static_cast<std::size_t>(count)) {
      if ((count = ::send(client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL)) <= 0) return false;
    }
    return true;
  }

  int listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  unsigned short port_ = 0;
  std::atomic<int> client_{-1};
  std::atomic<bool> stopping_{false};
  std::vector<int> clients_;
  std::atomic<int> requests_{0};
  std::mutex mutex_;
  std::map<std::string, Response> responses_;
  std::thread thread_;
};

}  // namespace CorlaMeetings::Testing
