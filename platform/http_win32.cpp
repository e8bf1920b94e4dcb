#include "platform/http.h"

#include <windows.h>
#include <wininet.h>

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

}  // namespace

HttpReply HttpGet(const std::string& url, const std::string& referer) {
  InternetHandle session(InternetOpenA("Quor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session.handle) return {};
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
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request.handle, buffer, sizeof buffer, &got)) return {};
    if (got == 0) break;
    reply.body.append(buffer, got);
  }
  reply.status = static_cast<int>(status);
  return reply;
}

}  // namespace platform
