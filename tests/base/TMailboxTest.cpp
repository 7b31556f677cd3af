#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "base/TMailbox.h"

namespace halvane {
namespace {

std::string TakeAll(TMailbox& mailbox, std::string& log) {
  // The clock's own epoch is a deadline long past: Take never waits here,
  // it gives what the mailbox holds and then nothing.
  while (auto message = mailbox.Take(TMailbox::TClock::time_point{})) (*message)();
  return log;
}

TEST(Mailbox, MessagesRunInTheOrderPostedAndUrgentOnesFirst) {
  TMailbox mailbox;
  std::string log;
  mailbox.Post([&] { log += "a"; });
  mailbox.Post([&] { log += "b"; });
  mailbox.Post([&] { log += "!"; }, true);
  EXPECT_EQ(TakeAll(mailbox, log), "!ab");
}

TEST(Mailbox, AClosedMailboxDropsWhatWaitsAndWhatComesLater) {
  TMailbox mailbox;
  std::string log;
  mailbox.Post([&] { log += "a"; });
  mailbox.Close();
  mailbox.Post([&] { log += "b"; });
  EXPECT_EQ(TakeAll(mailbox, log), "");
}

TEST(Mailbox, TakeWithoutADeadlineWaitsForAPostFromAnotherThread) {
  TMailbox mailbox;
  std::string log;
  std::thread poster([&] { mailbox.Post([&] { log += "posted"; }); });
  auto message = mailbox.Take(std::nullopt);
  poster.join();
  ASSERT_TRUE(message.has_value());
  (*message)();
  EXPECT_EQ(log, "posted");
}

}  // namespace
}  // namespace halvane
