// One blocking HTTP GET: the status code and the body as text. The Win32
// build uses WinINet; the POSIX build has no HTTP client and every request
// fails.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A body is read up to this many bytes; the rest of a longer one is not
// read at all.
inline constexpr std::size_t kHttpBodyCap = 64 * 1024;
// Connecting, sending the request and each wait for reply data give up
// after this long.
inline constexpr unsigned kHttpTimeoutSeconds = 20;

struct HttpReply {
  int status = 0;    // 0 when the request failed before a status came back
  std::string body;  // empty unless a status came back; at most kHttpBodyCap bytes
};

// GETs url with the given "Referer" header and no other header of its own.
// Any failure (no connection, a bad address, a protocol error) gives
// status 0 and an empty body.
HttpReply HttpGet(const std::string& url, const std::string& referer);

}  // namespace platform
