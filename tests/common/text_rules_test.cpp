// The shared text rules. The number scanner's two policies and the mode letter are exercised
// through their users' tables (the start routine's leading number and modes, the settings
// file's whole-text number); here what only this file defines: the rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "common/text_rules.h"

namespace {

TEST(RoundHalfEven, BreaksTiesTowardTheEvenNeighbour) {
  const std::vector<std::pair<double, double>> cases = {
      {0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {-0.5, 0.0}, {-1.5, -2.0}, {-2.5, -2.0},
      {2.4999, 2.0}, {2.5001, 3.0}, {-7.2, -7.0}, {-7.8, -8.0}, {32767.5, 32768.0}, {0.0, 0.0},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(text::roundHalfEven(value), expected) << value;
}

TEST(RoundHalfEven, LeavesNonFiniteValuesForTheRangeCheck) {
  EXPECT_TRUE(std::isinf(text::roundHalfEven(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(text::roundHalfEven(std::nan(""))));
}

}  // namespace
