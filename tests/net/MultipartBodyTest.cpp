#include <gtest/gtest.h>

#include <regex>

#include "net/TMultipartBody.h"

namespace halvane {
namespace {

const std::string kB = "--------120807140509042";

std::string ReadAll(TStream& stream, std::size_t chunk) {
  std::string out;
  std::string piece(chunk, '\0');
  for (;;) {
    const std::size_t n = stream.Read(piece.data(), chunk);
    if (n == 0) break;
    out.append(piece, 0, n);
  }
  return out;
}

TEST(MultipartBody, BoundaryIsTheLocalTimeDigits) {
  std::tm t{};
  t.tm_year = 107;
  t.tm_mon = 11;
  t.tm_mday = 8;
  t.tm_hour = 14;
  t.tm_min = 5;
  t.tm_sec = 9;
  EXPECT_EQ(TMultipartBody::MakeBoundary(t, 42), kB);
  TMultipartBody now;
  EXPECT_TRUE(std::regex_match(now.Boundary(), std::regex("-{8}[0-9]{15}")));
  EXPECT_EQ(now.ContentType(), "multipart/form-data; boundary=" + now.Boundary());
}

TEST(MultipartBody, SingleEmptyFieldHasTheExactBytes) {
  TMultipartBody body(kB);
  body.AddField("a", "");
  EXPECT_EQ(body.TotalLength(), 104);
  EXPECT_EQ(ReadAll(body, 1000), "--" + kB + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n\r\n\r\n--" + kB +
                                     "--\r\n");
}

TEST(MultipartBody, LengthMatchesTheBytesForEveryChunkSizeAndRewindRepeats) {
  TMultipartBody body(kB);
  body.AddField("user", "x%y\"z");
  body.AddField("na\"me", std::string("\xE9\xFF\x01", 3));
  body.AddField("empty", "");
  const std::string whole = ReadAll(body, 100000);
  EXPECT_EQ(static_cast<std::int64_t>(whole.size()), body.TotalLength());
  for (std::size_t chunk : {1u, 2u, 7u, 72u, 73u, 4096u}) {
    EXPECT_EQ(body.Seek(0, TSeekOrigin::Beginning), 0);
    EXPECT_EQ(ReadAll(body, chunk), whole) << chunk;
    EXPECT_EQ(body.Seek(0, TSeekOrigin::Current), body.TotalLength());
  }
  EXPECT_NE(whole.find("name=\"na\"me\"\r\n\r\n\xE9\xFF\x01\r\n"), std::string::npos);
  EXPECT_NE(whole.find("\r\n\r\nx%y\"z\r\n--" + kB + "\r\n"), std::string::npos);
  EXPECT_EQ(whole.substr(whole.size() - 35), "\r\n\r\n\r\n--" + kB + "--\r\n");
}

TEST(MultipartBody, SeekMovesOnlyOnRewind) {
  TMultipartBody body(kB);
  body.AddField("k", "v");
  char buf[10];
  ASSERT_EQ(body.Read(buf, 10), 10u);
  EXPECT_EQ(body.Seek(5, TSeekOrigin::Beginning), 10);
  EXPECT_EQ(body.Seek(3, TSeekOrigin::Current), 10);
  EXPECT_EQ(body.Seek(0, TSeekOrigin::End), 74 + 31);
  EXPECT_EQ(body.Seek(0, TSeekOrigin::Current), 10);
  EXPECT_EQ(body.Size(), 105);
}

TEST(MultipartBody, WritingIsUnsupportedAndFieldlessBodyIsItsDelimiter) {
  TMultipartBody body(kB);
  try {
    body.Write("x", 1);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "Unsupported operation.");
  }
  EXPECT_EQ(ReadAll(body, 5), "\r\n--" + kB + "--\r\n");
  EXPECT_EQ(body.TotalLength(), 31);
}

}  // namespace
}  // namespace halvane
