// SPDX-License-Identifier: MIT
// The page's address parameters, checked as the renderer checks its options.
#include "platform/web/page_options.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace pelmic::web {
namespace {

ParsedPageOptions Parse(const std::map<std::string, std::string>& query) {
  return ParsePageOptions([&query](std::string_view name) -> std::optional<std::string> {
    const auto found = query.find(std::string(name));
    if (found == query.end()) return std::nullopt;
    return found->second;
  });
}

TEST(PageOptions, NoParametersIsThePagesOwnPicture) {
  const ParsedPageOptions parsed = Parse({});
  EXPECT_EQ(parsed.error, "");
  EXPECT_FALSE(parsed.options.Reproducible());
}

TEST(PageOptions, SeedsAreExactSixtyFourBitValues) {
  // 2^53 + 1 and 2^64 - 1 do not survive a trip through a double.
  const struct {
    const char* text;
    std::uint64_t value;
  } cases[] = {{"0", 0}, {"7", 7}, {"9007199254740993", 9007199254740993u},
               {"18446744073709551615", 18446744073709551615u}, {"0042", 42}};
  for (const auto& c : cases) {
    const ParsedPageOptions parsed = Parse({{"seed", c.text}});
    EXPECT_EQ(parsed.error, "") << c.text;
    EXPECT_EQ(parsed.options.seed, c.value) << c.text;
    EXPECT_TRUE(parsed.options.Reproducible());
    EXPECT_FALSE(parsed.options.size);
    EXPECT_FALSE(parsed.options.cycles);
  }
}

TEST(PageOptions, SizesAndCyclesWithinTheRenderersLimits) {
  const struct {
    const char* size;
    const char* cycles;
    int width, height, count;
  } cases[] = {{"800x600", "1", 800, 600, 1}, {"1x1", "10000", 1, 1, 10000}, {"16384x16384", "3", 16384, 16384, 3}};
  for (const auto& c : cases) {
    const ParsedPageOptions parsed = Parse({{"size", c.size}, {"cycles", c.cycles}});
    ASSERT_EQ(parsed.error, "") << c.size;
    EXPECT_EQ(parsed.options.size->width, c.width);
    EXPECT_EQ(parsed.options.size->height, c.height);
    EXPECT_EQ(parsed.options.cycles, c.count);
    EXPECT_FALSE(parsed.options.seed);
  }
}

TEST(PageOptions, RefusalsNameTheParameterAndItsValue) {
  const struct {
    const char* name;
    const char* value;
    const char* error;
  } cases[] = {
      {"seed", "", "seed must be a whole number from 0 to 18446744073709551615, not ''"},
      {"seed", "-1", "seed must be a whole number from 0 to 18446744073709551615, not '-1'"},
      {"seed", "+7", "seed must be a whole number from 0 to 18446744073709551615, not '+7'"},
      {"seed", "18446744073709551616", "seed must be a whole number from 0 to 18446744073709551615, not '18446744073709551616'"},
      {"seed", "1e3", "seed must be a whole number from 0 to 18446744073709551615, not '1e3'"},
      {"seed", " 7", "seed must be a whole number from 0 to 18446744073709551615, not ' 7'"},
      {"size", "0x5", "size must be WxH with whole numbers from 1 to 16384, not '0x5'"},
      {"size", "16385x10", "size must be WxH with whole numbers from 1 to 16384, not '16385x10'"},
      {"size", "800", "size must be WxH with whole numbers from 1 to 16384, not '800'"},
      {"size", "800X600", "size must be WxH with whole numbers from 1 to 16384, not '800X600'"},
      {"size", "800x600x2", "size must be WxH with whole numbers from 1 to 16384, not '800x600x2'"},
      {"size", "x600", "size must be WxH with whole numbers from 1 to 16384, not 'x600'"},
      {"size", "<b>1</b>", "size must be WxH with whole numbers from 1 to 16384, not '<b>1</b>'"},
      {"cycles", "0", "cycles must be a whole number from 1 to 10000, not '0'"},
      {"cycles", "10001", "cycles must be a whole number from 1 to 10000, not '10001'"},
      {"cycles", "2.5", "cycles must be a whole number from 1 to 10000, not '2.5'"},
      // Long values are cut after 40 bytes, never inside a character.
      {"cycles", "1234567890123456789012345678901234567890123",
       "cycles must be a whole number from 1 to 10000, not '1234567890123456789012345678901234567890...'"},
      {"cycles", "123456789012345678901234567890123456789\xC3\xA9\xC3\xA9",
       "cycles must be a whole number from 1 to 10000, not '123456789012345678901234567890123456789...'"},
      // Every byte outside printable ASCII is spelled out, as in every message.
      {"size", "\xC3\xA9\x1B[2J\n", "size must be WxH with whole numbers from 1 to 16384, not '\\xC3\\xA9\\x1B[2J\\x0A'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Parse({{c.name, c.value}}).error, c.error) << c.name << "=" << c.value;
  }
}

}  // namespace
}  // namespace pelmic::web
