#include "TextConverter/DehexBufferFill.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DehexBufferFillTest, Cases) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"Name <4a61>x", "Name Jax"},
      {"Name <4a 61>x", "Name Jax"},
      {"< 4A\t6\n1>", "Ja"},
      {"a<4A>b<61>c", "aJbac"},
      {"", ""},
      {"no group at all", "no group at all"},
      {"<>", ""},
      {"<00>end", std::string("\0end", 4)},
      {"<fF>", "\xFF"},
      // Malformed groups leave the rest of the text as it was.
      {"Name <4a6>x", "Name <4a6>x"},
      {"Name <4G>x", "Name <4G>x"},
      {"a<4A>b<6>c<61>", "aJb<6>c<61>"},
      // White space just before ">" counts as one more character: odd.
      {"<4a >", "<4a >"},
      {"<4a61\r>", "<4a61\r>"},
      // Unclosed and endless groups.
      {"<4a", "<4a"},
      {"<<<<<<<<", "<<<<<<<<"},
      {"x<4a<61>", "x<4a<61>"},
      // A ">" before the "<" is plain text.
      {"a>b<4a>", "a>bJ"},
  };
  for (const Case& c : cases) {
    std::vector<char> out(c.in.size() + 1, '\x55');
    size_t n = DehexBufferFill(c.in.c_str(), out.data());
    ASSERT_EQ(n, c.out.size() + 1) << c.in;
    EXPECT_EQ(std::string(out.data(), n - 1), c.out) << c.in;
    EXPECT_EQ(out[n - 1], '\0') << c.in;
  }
  char out[4];
  EXPECT_EQ(DehexBufferFill(nullptr, out), 0u);
  EXPECT_EQ(DehexBufferFill("x", nullptr), 0u);
}

TEST(DehexBufferFillTest, LongInputsStayInBounds) {
  // Many groups, one long unclosed group: output never exceeds input + 1.
  std::string many;
  for (int i = 0; i < 5000; ++i) many += "<41>";
  std::vector<char> out(many.size() + 1);
  EXPECT_EQ(DehexBufferFill(many.c_str(), out.data()), 5001u);
  EXPECT_EQ(std::string(out.data()), std::string(5000, 'A'));
  std::string endless = "<" + std::string(100000, '4');
  std::vector<char> out2(endless.size() + 1);
  EXPECT_EQ(DehexBufferFill(endless.c_str(), out2.data()), endless.size() + 1);
}

}  // namespace
