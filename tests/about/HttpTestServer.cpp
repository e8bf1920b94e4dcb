#include "HttpTestServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

namespace testhttp {

namespace {

struct WinsockUp {
  WinsockUp() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
};

SOCKET Listen(int& port) {
  static WinsockUp up;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  listen(s, 8);
  int size = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &size);
  port = ntohs(addr.sin_port);
  return s;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

Server::Server(int status, std::string body) : status_(status), body_(std::move(body)) {
  listener_ = Listen(port_);
  thread_ = std::thread([this] { Serve(); });
}

Server::~Server() {
  stop_ = true;
  thread_.join();
  closesocket(static_cast<SOCKET>(listener_));
}

std::string Server::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> Server::Requests() const {
  std::lock_guard<std::mutex> lock(guard_);
  return requests_;
}

std::string Server::LastHeader(const std::string& name) const {
  std::lock_guard<std::mutex> lock(guard_);
  if (requests_.empty()) return "";
  const std::string& request = requests_.back();
  const std::string key = "\r\n" + Lower(name) + ":";
  const std::size_t at = Lower(request).find(key);
  if (at == std::string::npos) return "";
  std::size_t from = at + key.size();
  while (from < request.size() && request[from] == ' ') ++from;
  return request.substr(from, request.find("\r\n", from) - from);
}

void Server::Serve() {
  const SOCKET listener = static_cast<SOCKET>(listener_);
  while (!stop_) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval wait{0, 50 * 1000};
    if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
    SOCKET client = accept(listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    // A client that stops reading (the update check reads only so much of a
    // long reply) must not hold the server, and with it the test, forever.
    const DWORD timeoutMs = 5000;
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, got);
    }
    {
      std::lock_guard<std::mutex> lock(guard_);
      requests_.push_back(request.substr(0, request.find("\r\n\r\n") + 2));
    }
    const std::string reply = "HTTP/1.1 " + std::to_string(status_) + (status_ == 200 ? " OK" : " Not Found") +
                              "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body_.size()) +
                              "\r\nConnection: close\r\n\r\n" + body_;
    send(client, reply.data(), static_cast<int>(reply.size()), 0);
    shutdown(client, SD_SEND);
    closesocket(client);
  }
}

std::string ClosedPortUrl() {
  int port = 0;
  SOCKET s = Listen(port);
  closesocket(s);
  return "http://127.0.0.1:" + std::to_string(port) + "/version.txt";
}

}  // namespace testhttp
