#include "security/Base64.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>

#include "SecurityTestSupport.h"

namespace {

std::string Encode(const std::string& in, bool lineBreaks = false) {
  std::string out(Base64Encoder::EncodedLength(in.size(), lineBreaks) + 1, '#');
  const long n = Base64Encoder::Encode(reinterpret_cast<const unsigned char*>(in.data()), in.size(),
                                       out.data(), out.size(), lineBreaks);
  EXPECT_EQ(n, long(out.size()) - 1);
  EXPECT_EQ(out.back(), '\0');
  out.pop_back();
  return out;
}

// The decoded bytes, or "ERROR".
std::string Decode(const std::string& in) {
  std::vector<unsigned char> out(Base64Decoder::MaxDecodedLength(in.size()));
  const long n = Base64Decoder::Decode(in.data(), in.size(), out.data(), out.size());
  if (n < 0) return "ERROR";
  return std::string(out.begin(), out.begin() + n);
}

}  // namespace

// RFC 4648 section 10.
TEST(Base64, RfcVectors) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(Encode(plain), encoded);
    EXPECT_EQ(Decode(encoded), plain);
  }
}

TEST(Base64, LineBreaksEvery64Characters) {
  const std::string in(96, 'x');  // 128 characters: two full lines
  const std::string out = Encode(in, true);
  ASSERT_EQ(out.size(), 129u);
  EXPECT_EQ(out[64], '\n');
  EXPECT_EQ(out.find('\n', 65), std::string::npos);                             // none at the end
  EXPECT_EQ(Encode(std::string(48, 'x'), true).find('\n'), std::string::npos);  // exactly one line
  EXPECT_EQ(Encode(std::string(49, 'x'), true)[64], '\n');
  EXPECT_EQ(Decode(out), in);
  EXPECT_EQ(Decode("Zm9v\r\nYmFy\n"), "foobar");
  EXPECT_EQ(Decode(" Zm 9v\tYg = = "), "foob");
}

TEST(Base64, EncodeNeedsRoomForTheTextAndItsNul) {
  char out[9];
  std::memset(out, '#', sizeof out);
  const unsigned char in[] = {'f', 'o', 'o', 'b', 'a', 'r'};
  EXPECT_EQ(Base64Encoder::Encode(in, 6, out, 8, false), -1);
  EXPECT_EQ(out[0], '#');
  EXPECT_EQ(Base64Encoder::Encode(in, 6, out, 9, false), 8);
  EXPECT_STREQ(out, "Zm9vYmFy");
  EXPECT_EQ(Base64Encoder::Encode(nullptr, 6, out, 9, false), -1);
  EXPECT_EQ(Base64Encoder::Encode(in, 6, nullptr, 9, false), -1);
  EXPECT_EQ(Base64Encoder::Encode(nullptr, 0, out, 1, false), 0);
}

TEST(Base64, MalformedTextIsAnError) {
  const char* bad[] = {
      "Z",         // a lone character makes no byte
      "Zm9vY",     // nor does a lone final one
      "Zg=",       // incomplete padding
      "Zg===",     // too much padding
      "=Zg=",      // padding first
      "Zm9v=",     // padding after a full group
      "Zg==Zg==",  // data after the padding
      "Zm9v!mFy",  // outside the alphabet
      "Zm9v-_",    // the URL alphabet is not ours
      "Zm\x80v",   // high byte
  };
  for (const char* text : bad) EXPECT_EQ(Decode(text), "ERROR") << text;
  EXPECT_EQ(Decode(std::string("Zm9v\0YmFy", 9)), "ERROR");
  // Unpadded final groups are read.
  EXPECT_EQ(Decode("Zg"), "f");
  EXPECT_EQ(Decode("Zm8"), "fo");
}

TEST(Base64, DecodeStopsAtTheCapacity) {
  unsigned char out[5];
  EXPECT_EQ(Base64Decoder::Decode("Zm9vYmFy", 8, out, 5), -1);
  EXPECT_EQ(Base64Decoder::Decode("Zm9vYmE=", 8, out, 5), 5);
  EXPECT_EQ(Base64Decoder::Decode("Zm9vYg==", 8, nullptr, 0), -1);
  EXPECT_EQ(Base64Decoder::Decode(nullptr, 4, out, 5), -1);
}

TEST(Base64, MatchesOpenSSL) {
  std::mt19937 rng(4648);
  for (int round = 0; round < 300; ++round) {
    const auto data = RandomBytes(rng, rng() % 200);
    std::vector<unsigned char> expected(4 * ((data.size() + 2) / 3) + 1);
    const int n = EVP_EncodeBlock(expected.data(), data.data(), int(data.size()));
    const std::string ours = Encode(std::string(data.begin(), data.end()));
    ASSERT_EQ(ours, std::string(expected.begin(), expected.begin() + n));
    ASSERT_EQ(Decode(ours), std::string(data.begin(), data.end()));
  }
}
