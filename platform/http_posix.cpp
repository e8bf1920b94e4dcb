// The POSIX build carries no HTTP client: the update check is a feature of
// the Windows program only.
#include "platform/http.h"

namespace platform {

HttpReply HttpGet(const std::string& /*url*/, const std::string& /*referer*/) { return {}; }

}  // namespace platform
