#include "foundation/CError.h"

#include <gtest/gtest.h>

namespace {

TEST(CError, EmptyAndFilled) {
  CError none;
  EXPECT_TRUE(none == 0);
  EXPECT_EQ(none.Description(), nullptr);
  EXPECT_FALSE(none.IsFatal());

  CError err(-42, "bad keyword", true);
  EXPECT_TRUE(err == -42);
  EXPECT_TRUE(err != 42);
  EXPECT_STREQ(err.Description(), "bad keyword");
  EXPECT_TRUE(err.IsFatal());

  CError copy(err);
  err.Description("changed");
  EXPECT_STREQ(copy.Description(), "bad keyword");
  EXPECT_TRUE(copy == -42);
  err.Description("");
  EXPECT_EQ(err.Description(), nullptr);
  CError noText(3, nullptr, false);
  EXPECT_EQ(noText.Description(), nullptr);
}

}  // namespace
