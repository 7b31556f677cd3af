// The news server: identities, reply formats and codes, over the wire with
// bodies built the way the program builds them.
#include <gtest/gtest.h>
#include <httplib.h>

#include "tools/sim/TNewsService.h"
#include "tools/sim/TSimConfig.h"
#include "tests/support/TSimProcess.h"

namespace halvane::sim {
namespace {

const std::string kEnd = std::string("\xAF") + "OK";

std::map<std::string, std::string> Fields(const std::string& user, const std::string& type,
                                          const std::string& kind) {
  return {{"memusername", user}, {"prodcode", "HV-TEST"}, {"prodtype", type},
          {"conttype", kind},    {"newstarget", "UA"},    {"something", ""}};
}

TEST(SimNewsService, AnswersEachRequestInItsFormat) {
  const TSimConfig c = LoadSimConfig(std::string(HALVANE_TEST_DATA) + "/sim/small.conf");
  const TNewsService news(c);
  EXPECT_EQ(news.Reply("getlastnews.php", Fields("pub-42", "BM", "all")),
            "7^First news^2026-01-05\xAF" "12^Second news^2026-02-11" + kEnd);
  EXPECT_EQ(news.Reply("getlastnews.php", Fields("pub-42", "BG", "lastcode")), "12^Second news" + kEnd);
  auto details = Fields("pub-42", "BM", "");
  details.erase("conttype");
  details["newsid"] = "12";
  EXPECT_EQ(news.Reply("getnewsdetails.php", details), "<p>It$27s $22quoted$22 caf$E9</p>" + kEnd);
  details["newsid"] = "7";
  EXPECT_EQ(news.Reply("getnewsdetails.php", details), "<p>Hello $24 world</p>" + kEnd);
  details["newsid"] = "8";
  EXPECT_EQ(news.Reply("getnewsdetails.php", details), "INVALIDNEWS");
}

TEST(SimNewsService, RefusesWrongIdentities) {
  const TSimConfig c = LoadSimConfig(std::string(HALVANE_TEST_DATA) + "/sim/small.conf");
  const TNewsService news(c);
  EXPECT_EQ(news.Reply("getlastnews.php", Fields("pub-43", "BM", "all")), "INVALIDUSER");
  EXPECT_EQ(news.Reply("getlastnews.php", Fields("pub-42", "BP", "all")), "INVALIDPRODUCT");
  auto wrongCode = Fields("pub-42", "BM", "all");
  wrongCode["prodcode"] = "hv-test";
  EXPECT_EQ(news.Reply("getlastnews.php", wrongCode), "INVALIDPRODUCT");
  auto missing = Fields("pub-42", "BM", "all");
  missing.erase("prodtype");
  EXPECT_EQ(news.Reply("getlastnews.php", missing), "CONNECTIONFAIL");
}

TEST(SimNewsService, EmptyListAndForcedReply) {
  TSimConfig c = ParseSimConfig("news.none = 1\nnews.user = u\nnews.product = p\n");
  auto fields = Fields("u", "BM", "all");
  fields["prodcode"] = "p";
  EXPECT_EQ(TNewsService(c).Reply("getlastnews.php", fields), "OK");
  fields["conttype"] = "lastcode";
  EXPECT_EQ(TNewsService(c).Reply("getlastnews.php", fields), "OK");
  c.newsReply = "CONNECTIONFAIL";
  EXPECT_EQ(TNewsService(c).Reply("getlastnews.php", fields), "CONNECTIONFAIL");
}

// A body as the program's multipart writer lays it out.
std::string ProgramBody(const std::string& boundary, const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string body;
  for (const auto& [name, value] : fields) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
  }
  return body + "\r\n--" + boundary + "--\r\n";
}

TEST(SimNewsServer, ParsesTheProgramsMultipartPosts) {
  test::TSimProcess sim(std::string(HALVANE_TEST_DATA) + "/sim/small.conf");
  const std::string boundary = "--------120807140509042";
  httplib::Client client("127.0.0.1", sim.Port());
  auto post = [&](const std::string& path, const std::vector<std::pair<std::string, std::string>>& fields) {
    const auto res = client.Post(path.c_str(), ProgramBody(boundary, fields),
                                 ("multipart/form-data; boundary=" + boundary).c_str());
    return res ? std::to_string(res->status) + " " + res->body : std::string("no answer");
  };
  const std::vector<std::pair<std::string, std::string>> latest{
      {"memusername", "pub-42"}, {"prodcode", "HV-TEST"}, {"prodtype", "BG"},
      {"conttype", "lastcode"},  {"newstarget", "UA"},    {"something", ""}};
  EXPECT_EQ(post("/news/getlastnews.php", latest), "200 12^Second news" + kEnd);
  EXPECT_EQ(post("/getlastnews.php", latest), "200 12^Second news" + kEnd);
  const std::vector<std::pair<std::string, std::string>> details{
      {"memusername", "pub-42"}, {"prodcode", "HV-TEST"}, {"prodtype", "BG"},
      {"newsid", "7"},           {"newstarget", "UA"},    {"something", ""}};
  EXPECT_EQ(post("/a/b/getnewsdetails.php", details), "200 <p>Hello $24 world</p>" + kEnd);
  auto stranger = latest;
  stranger[0].second = "someone";
  EXPECT_EQ(post("/news/getlastnews.php", stranger), "200 INVALIDUSER");
  EXPECT_EQ(post("/news/other.php", latest).substr(0, 3), "404");
  // A body that is not multipart carries no fields.
  const auto res = client.Post("/news/getlastnews.php", "memusername=pub-42", "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, "CONNECTIONFAIL");
}

}  // namespace
}  // namespace halvane::sim
