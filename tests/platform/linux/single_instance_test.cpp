// SPDX-License-Identifier: MIT
#include "platform/linux/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace pelmic::linux_desktop {
namespace {

// A name no other test run uses at the same time.
std::string UniqueName(const char* what) {
  return std::string("pelmic-test-") + what + "-" + std::to_string(::getpid());
}

TEST(SingleInstanceToken, SecondClaimOfTheSameNameFailsUntilTheFirstIsReleased) {
  const std::string name = UniqueName("release");
  auto first = std::make_unique<SingleInstanceToken>();
  SingleInstanceToken second;
  EXPECT_TRUE(first->Claim(name));
  EXPECT_TRUE(first->Claim(name)) << "claiming again in the holder must not look like another copy";
  EXPECT_FALSE(second.Claim(name));
  EXPECT_FALSE(second.Held());
  first.reset();
  EXPECT_TRUE(second.Claim(name));
}

TEST(SingleInstanceToken, DifferentNamesDoNotExcludeEachOther) {
  SingleInstanceToken a, b;
  EXPECT_TRUE(a.Claim(UniqueName("a")));
  EXPECT_TRUE(b.Claim(UniqueName("b")));
}

TEST(SingleInstanceToken, AnotherProcessSeesTheHeldNameAndItIsFreedWhenTheHolderEnds) {
  const std::string name = UniqueName("process");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child holds the name and is killed without any clean-up of its own.
    SingleInstanceToken held;
    const char claimed = held.Claim(name) ? '1' : '0';
    if (::write(ready[1], &claimed, 1) != 1) ::_exit(2);
    ::pause();
    ::_exit(0);
  }
  char claimed = 0;
  ASSERT_EQ(::read(ready[0], &claimed, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(claimed, '1');

  SingleInstanceToken mine;
  EXPECT_FALSE(mine.Claim(name)) << "a name held by another process was claimed again";
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(mine.Claim(name)) << "the name outlived its holder";
}

TEST(SingleInstanceToken, NameIsPerUserAndDisplay) {
  const char* saved = std::getenv("DISPLAY");
  const std::string savedDisplay = saved ? saved : "";
  ::setenv("DISPLAY", ":7.1", 1);
  const std::string screen1 = SingleInstanceToken::NameForThisSession();
  ::setenv("DISPLAY", ":7", 1);
  const std::string display7 = SingleInstanceToken::NameForThisSession();
  ::setenv("DISPLAY", ":8", 1);
  const std::string display8 = SingleInstanceToken::NameForThisSession();
  if (saved) ::setenv("DISPLAY", savedDisplay.c_str(), 1); else ::unsetenv("DISPLAY");

  EXPECT_EQ(display7, "pelmic-" + std::to_string(::getuid()) + "-:7");
  EXPECT_EQ(screen1, display7) << "two screens of one display are one session";
  EXPECT_NE(display7, display8);
}

}  // namespace
}  // namespace pelmic::linux_desktop
