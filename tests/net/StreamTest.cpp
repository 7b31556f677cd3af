#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "net/TStream.h"

namespace halvane {
namespace {

TEST(MemoryStream, WritesOverwriteExtendAndFillGaps) {
  TMemoryStream s("abcdef");
  s.Seek(2, TSeekOrigin::Beginning);
  s.Write("XY", 2);
  EXPECT_EQ(s.Data(), "abXYef");
  s.Seek(2, TSeekOrigin::End);
  s.Write("!", 1);
  EXPECT_EQ(s.Data(), std::string("abXYef\0\0!", 9));
  char buf[4];
  s.Seek(-3, TSeekOrigin::Current);
  EXPECT_EQ(s.Read(buf, 4), 3u);
  EXPECT_THROW(s.Seek(-1, TSeekOrigin::Beginning), EStreamError);
  s.SetSize(2);
  EXPECT_EQ(s.Data(), "ab");
  EXPECT_EQ(s.Position(), 2);
}

TEST(FileStream, CreateReplacesReadBackAppendKeeps) {
  const std::string path = ::testing::TempDir() + "halvane_stream_test_" + std::to_string(::getpid());
  {
    TFileStream f(path, TFileMode::Create);
    f.Write("old content", 11);
  }
  {
    TFileStream f(path, TFileMode::Create);
    f.Write("new", 3);
    EXPECT_EQ(f.Size(), 3);
  }
  {
    TFileStream f(path, TFileMode::Append);
    f.Write("+more", 5);
  }
  TFileStream f(path, TFileMode::OpenRead);
  char buf[32];
  EXPECT_EQ(f.Read(buf, sizeof buf), 8u);
  EXPECT_EQ(std::string(buf, 8), "new+more");
  EXPECT_THROW(f.Write("x", 1), EStreamError);
  f.Close();
  std::remove(path.c_str());
  EXPECT_THROW(TFileStream(path, TFileMode::OpenRead), EStreamError);
  EXPECT_THROW(TFileStream(::testing::TempDir() + "no/such/dir/f", TFileMode::Create), EStreamError);
}

}  // namespace
}  // namespace halvane
