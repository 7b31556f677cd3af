// The client against servers that answer badly: chunk sizes and lengths it
// cannot read, interim answers, kept connections closed under it, and
// addresses that would break the request line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TScriptedServer.h"
#include "net/THttpClient.h"
#include "net/TMemoryConnector.h"
#include "net/TMultipartBody.h"

namespace halvane {
namespace {

using test::TScriptedServer;
using ::testing::StartsWith;

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The outcome of one GET over a reply held in memory: the body, or the
// failure's kind name.
std::string Outcome(const std::string& reply) {
  auto connector = std::make_unique<TMemoryConnector>();
  connector->AddReply(reply);
  THttpClient client(std::move(connector));
  TMemoryStream sink;
  try {
    client.Get("http://example.com/", sink);
  } catch (const EHttpClientError& e) {
    return std::string("error: ") + DescribeErrorKind(e.Kind());
  }
  return sink.Data();
}

std::string Chunked(const std::string& sizeLine) {
  return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n" + sizeLine +
         "\r\nworld\r\n0\r\n\r\n";
}

TEST(HttpClientFraming, ChunkSizeThatIsNotHexadecimalDigitsIsMalformed) {
  const std::vector<std::string> bad = {"zz", "-1", "0x5", " 5", "", std::string(1, '\0'), std::string("5\0", 2),
                                        "G", "5 x", "FFFFFFFFFFFFFFFFFFFF", "8000000000000000"};
  for (const std::string& line : bad) {
    EXPECT_EQ(Outcome(Chunked(line)), "error: malformed response") << "size line '" << line << "'";
  }
  // Digits, optionally with blanks and extensions after them, are read.
  for (const char* line : {"5", "05", "5;name=value", "5 ; ext", "5\t;x"}) {
    EXPECT_EQ(Outcome(Chunked(line)), "helloworld") << "size line '" << line << "'";
  }
}

TEST(HttpClientFraming, ContentLengthThatIsNotALengthIsMalformed) {
  const std::vector<std::string> bad = {"-5", "+5", "5x", "0x5", "5, 5", "", "9223372036854775808",
                                        "18446744073709551621"};
  for (const std::string& value : bad) {
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: " + value + "\r\n\r\nhello and more";
    EXPECT_EQ(Outcome(reply), "error: malformed response") << "Content-Length '" << value << "'";
  }
}

TEST(HttpClientFraming, TwoContentLengthsMustAgree) {
  EXPECT_EQ(Outcome("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 9\r\n\r\nhello and"),
            "error: malformed response");
  EXPECT_EQ(Outcome("HTTP/1.1 200 OK\r\nContent-Length: 5\r\ncontent-length: 5\r\n\r\nhello and more"), "hello");
}

TEST(HttpClientFraming, EveryInterimAnswerBeforeTheFinalOneIsSkipped) {
  EXPECT_EQ(Outcome("HTTP/1.1 103 Early Hints\r\nLink: </s.css>; rel=preload\r\n\r\n"
                    "HTTP/1.1 102 Processing\r\n\r\n"
                    "HTTP/1.1 100 Continue\r\n\r\n" +
                    Ok("final")),
            "final");
  // 101 is never asked for: a final answer that is not a success.
  EXPECT_EQ(Outcome("HTTP/1.1 101 Switching Protocols\r\n\r\n" + Ok("x")), "error: protocol error");
  // Interim heads count towards the one bound on the head.
  std::string many;
  for (int i = 0; i < 300; ++i) many += "HTTP/1.1 103 Early Hints\r\nLink: " + std::string(1000, 'l') + "\r\n\r\n";
  EXPECT_EQ(Outcome(many + Ok("x")), "error: line too long");
}

TEST(HttpClientRequestLine, BlanksInPathAndQueryAreSentEncoded) {
  auto connector = std::make_unique<TMemoryConnector>();
  TMemoryConnector& server = *connector;
  connector->AddReply(Ok("a"));
  THttpClient client(std::move(connector));
  TMemoryStream sink;
  client.Get("http://example.com/a b/c d.html?q=x y", sink);
  ASSERT_EQ(server.Sent().size(), 1u);
  EXPECT_THAT(server.Sent()[0], StartsWith("GET /a%20b/c%20d.html?q=x%20y HTTP/1.1\r\n"));
}

TEST(HttpClientKeptConnection, ClosedBeforeAnsweringIsRetriedOnceOnAFreshConnection) {
  TScriptedServer server;
  // The server reads the second request, then closes without a word.
  server.NextConnection().Expect().Send(Ok("1")).Expect();
  server.NextConnection().Expect().Send(Ok("2"));
  THttpClient client;
  TMemoryStream first;
  client.Get(server.Url("/1"), first);
  TMemoryStream second;
  client.Get(server.Url("/2"), second);
  EXPECT_EQ(second.Data(), "2");
  EXPECT_EQ(server.ConnectionCount(), 2);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1], requests[2]);
}

TEST(HttpClientKeptConnection, AnswerCutAfterItsFirstByteIsNotRetried) {
  TScriptedServer server;
  server.NextConnection().Expect().Send(Ok("1")).Expect().Send("HTTP/1.1 200 O");
  server.NextConnection().Expect().Send(Ok("2"));
  THttpClient client;
  TMemoryStream sink;
  client.Get(server.Url("/1"), sink);
  try {
    client.Get(server.Url("/2"), sink);
    ADD_FAILURE() << "a cut answer was taken";
  } catch (const EHttpClientError& e) {
    EXPECT_EQ(e.Kind(), THttpErrorKind::ConnectionFailure);
  }
  EXPECT_EQ(server.ConnectionCount(), 1);
}

TEST(HttpClientKeptConnection, FreshConnectionClosedBeforeAnsweringIsNotRetried) {
  TScriptedServer server;
  server.NextConnection().Expect();
  server.NextConnection().Expect().Send(Ok("2"));
  THttpClient client;
  TMemoryStream sink;
  EXPECT_THROW(client.Get(server.Url("/1"), sink), EHttpClientError);
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(HttpClientLimits, ServerThatAcceptsAndSaysNothingMeetsTheIdleLimit) {
  TScriptedServer server;
  server.NextConnection().Expect().Silence();
  server.NextConnection().Expect().Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf").Silence();
  THttpClient client;
  client.SetLimits({-1, 300, -1});
  TMemoryStream sink;
  for (int i = 0; i < 2; ++i) {
    try {
      client.Get(server.Url("/quiet"), sink);
      ADD_FAILURE() << "a silent server was waited out";
    } catch (const EHttpClientError& e) {
      EXPECT_EQ(e.Kind(), THttpErrorKind::ReadTimeout);
      EXPECT_STREQ(e.what(), "no data from the server for 0.3 s");
    }
  }
}

TEST(HttpClientLimits, TrickledBodyMeetsTheWholeExchangeLimit) {
  TScriptedServer server;
  server.NextConnection().Expect().Drip("HTTP/1.1 200 OK\r\nContent-Length: 400\r\n\r\n" + std::string(400, 't'), 20);
  THttpClient client;
  client.SetLimits({-1, 1000, 500});
  TMemoryStream sink;
  try {
    client.Get(server.Url("/trickle"), sink);
    ADD_FAILURE() << "a trickled body was waited out";
  } catch (const EHttpClientError& e) {
    EXPECT_EQ(e.Kind(), THttpErrorKind::ReadTimeout);
    EXPECT_STREQ(e.what(), "the exchange took longer than 0.5 s");
  }
}

TEST(HttpClientLimits, BodyPastItsCapFails) {
  auto connector = std::make_unique<TMemoryConnector>();
  connector->AddReply("HTTP/1.0 200 OK\r\n\r\n" + std::string(100000, 'e'));
  connector->AddReply("HTTP/1.1 200 OK\r\nContent-Length: 65537\r\n\r\n" + std::string(65537, 'e'));
  connector->AddReply("HTTP/1.1 200 OK\r\nContent-Length: 65536\r\n\r\n" + std::string(65536, 'e'));
  connector->AddReply("HTTP/1.0 200 OK\r\n\r\n" + std::string(70000, 'r'));
  THttpClient client(std::move(connector));
  client.SetLimits({65536, -1, -1});
  TMemoryStream sink;
  EXPECT_THROW(client.Get("http://u.test/endless", sink), EHttpClientError);
  EXPECT_LE(sink.Data().size(), 65536u);
  EXPECT_THROW(client.Get("http://u.test/long", sink), EHttpClientError);
  TMemoryStream fits;
  client.Get("http://u.test/fits", fits);
  EXPECT_EQ(fits.Data().size(), 65536u);
  TMemoryStream form("a=b");
  try {
    client.Post("http://u.test/post", form, "text/plain");
    ADD_FAILURE() << "a reply past the cap was taken";
  } catch (const EHttpClientError& e) {
    EXPECT_EQ(e.Kind(), THttpErrorKind::ResponseTooLarge);
  }
}

}  // namespace
}  // namespace halvane
