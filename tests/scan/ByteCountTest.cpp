#include "scan/ByteCount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace sifta {
namespace {

// Every length and start (the vector blocks and the tail), bytes that differ
// from the sought one only in the high bit, and runs long enough to fill the
// byte counters of a block of sums.
TEST(CountByte, EqualsCountingOneByOne) {
  std::mt19937 random(7);
  const std::string alphabet("\r\n\x8D\x0D\x00,a\xFF", 8);
  std::string text(5000, '\0');
  for (char& c : text) c = alphabet[random() % alphabet.size()];
  for (const char sought : {'\r', '\xFF', '\0'})
    for (std::size_t start = 0; start < 17; ++start)
      for (std::size_t length = 0; start + length <= 700; ++length) {
        const std::string_view part(text.data() + start, length);
        ASSERT_EQ(CountByte(part, sought),
                  static_cast<std::size_t>(std::count(part.begin(), part.end(), sought)))
            << "start " << start << " length " << length;
      }
  for (const std::size_t length : {std::size_t{255 * 16}, std::size_t{255 * 16 + 1}, std::size_t{100000}}) {
    const std::string all(length, '\r');
    EXPECT_EQ(CountByte(all, '\r'), length);
    EXPECT_EQ(CountByte(all, '\n'), 0u);
  }
}

}  // namespace
}  // namespace sifta
