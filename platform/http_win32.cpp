#include "platform/http.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>

namespace platform {

namespace {

struct InternetHandle {
  HINTERNET handle;
  explicit InternetHandle(HINTERNET h) : handle(h) {}
  ~InternetHandle() {
    if (handle) InternetCloseHandle(handle);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
};

// Sets the connect, send and receive time-outs on the session; the request
// made from it inherits them. A refused option leaves WinINet's default.
void SetTimeouts(HINTERNET session) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    DWORD milliseconds = kHttpTimeoutSeconds * 1000;
    InternetSetOptionA(session, option, &milliseconds, sizeof milliseconds);
  }
}

}  // namespace

HttpReply HttpGet(const std::string& url, const std::string& referer) {
  InternetHandle session(InternetOpenA("Quor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session.handle) return {};
  SetTimeouts(session.handle);
  const std::string headers = "Referer: " + referer + "\r\n";
  // Fresh every time: a cached copy would hide a new version.
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
  InternetHandle request(
      InternetOpenUrlA(session.handle, url.c_str(), headers.c_str(), static_cast<DWORD>(headers.size()), flags, 0));
  if (!request.handle) return {};

  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoA(request.handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    return {};

  HttpReply reply;
  char buffer[8192];
  while (reply.body.size() < kHttpBodyCap) {
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, kHttpBodyCap - reply.body.size()));
    DWORD got = 0;
    if (!InternetReadFile(request.handle, buffer, wanted, &got)) return {};
    if (got == 0) break;
    reply.body.append(buffer, got);
  }
  reply.status = static_cast<int>(status);
  return reply;
}

}  // namespace platform
