#include <gtest/gtest.h>

#include "HttpTestServer.h"
#include "platform/http.h"

namespace {

TEST(HttpGet, GivesStatusAndBodyAndSendsTheReferer) {
  testhttp::Server server(200, "<html>\r\nvinfo=1.40;\r\n</html>");
  const platform::HttpReply reply = platform::HttpGet(server.Url("/quor/version.txt"), "UpdateCheck_1.39");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "<html>\r\nvinfo=1.40;\r\n</html>");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].rfind("GET /quor/version.txt HTTP/1.", 0), 0u) << server.Requests()[0];
  EXPECT_EQ(server.LastHeader("Referer"), "UpdateCheck_1.39");
}

TEST(HttpGet, ErrorStatusComesBackAsItsStatus) {
  testhttp::Server server(404, "not here");
  EXPECT_EQ(platform::HttpGet(server.Url(), "r").status, 404);
}

TEST(HttpGet, NoServerOrNoAddressIsStatusZero) {
  for (const std::string& url : {testhttp::ClosedPortUrl(), std::string("not an address"), std::string()}) {
    const platform::HttpReply reply = platform::HttpGet(url, "UpdateCheck_1.39");
    EXPECT_EQ(reply.status, 0) << url;
    EXPECT_EQ(reply.body, "") << url;
  }
}

TEST(HttpGet, ABodyIsReadUpToTheCapAndNoFurther) {
  const std::string atCap = std::string(platform::kHttpBodyCap - 11, 'x') + "vinfo=1.39;";
  const struct {
    std::string body;
    std::string expected;
  } cases[] = {
      {atCap, atCap},
      {"vinfo=1.40;" + std::string(4 << 20, 'x'), "vinfo=1.40;" + std::string(platform::kHttpBodyCap - 11, 'x')},
  };
  for (const auto& c : cases) {
    testhttp::Server server(200, c.body);
    const platform::HttpReply reply = platform::HttpGet(server.Url(), "r");
    EXPECT_EQ(reply.status, 200) << c.body.size();
    EXPECT_EQ(reply.body, c.expected) << c.body.size();
  }
}

}  // namespace
