// A tiny HTTP server on 127.0.0.1 for the update check's tests: it answers
// every request with one fixed status and body and keeps the requests it
// received. Winsock, on a thread of its own.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testhttp {

class Server {
 public:
  Server(int status, std::string body);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // http://127.0.0.1:PORT + path
  std::string Url(const std::string& path = "/version.txt") const;
  // The requests received so far, each its request line and headers.
  std::vector<std::string> Requests() const;
  // The value of a header of the last request ("" when it had none).
  std::string LastHeader(const std::string& name) const;

 private:
  void Serve();

  int status_;
  std::string body_;
  unsigned long long listener_;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex guard_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// An address on 127.0.0.1 where nothing listens.
std::string ClosedPortUrl();

}  // namespace testhttp
