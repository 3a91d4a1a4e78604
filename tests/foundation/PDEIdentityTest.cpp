#include "foundation/PDEIdentity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(PDEIdentity, CreatorAndNames) {
  unsigned int creator = 0;
  GetCreatorID(creator);
  EXPECT_EQ(creator, (unsigned('Q') << 24) | (unsigned('Z') << 16) | (unsigned('V') << 8) | '2');
  EXPECT_EQ(CreateNIBFileName().UTF8(), "PDEProject");
  EXPECT_EQ(CreatePostscriptDataFileKey().UTF8(), "QZV.PSData." + GetBundleID().UTF8());
}

TEST(PDEIdentity, BundleIdentifierCarriesTheClassSuffix) {
  std::string id = GetBundleID().UTF8();
  const std::string prefix = "print.pde.";
  size_t at = id.find(prefix);
  ASSERT_NE(at, std::string::npos);
  ASSERT_GT(at, 0u) << "a reverse-domain prefix comes first";
  ASSERT_TRUE(id.ends_with(".PInf"));
  std::string uuid = id.substr(at + prefix.size(), id.size() - at - prefix.size() - 5);
  ASSERT_EQ(uuid.size(), 36u);
  for (size_t dash : {8u, 13u, 18u, 23u}) EXPECT_EQ(uuid[dash], '-');
  uuid.erase(std::remove(uuid.begin(), uuid.end(), '-'), uuid.end());
  EXPECT_EQ(uuid, "41E2112826D64D35B898DBD8D5A9D932");
}

TEST(PDEIdentity, ClientIdentifierAppendsOnlyAGivenSuffix) {
  EXPECT_EQ(CreateClientIdentifier(), GetBundleID());
  EXPECT_EQ(CreateClientIdentifier(CFString()), GetBundleID());
  EXPECT_EQ(CreateClientIdentifier(CFSTR("")), GetBundleID());
  EXPECT_EQ(CreateClientIdentifier(CFSTR(".prefs")).UTF8(), GetBundleID().UTF8() + ".prefs");
  // Each call is a new value: changing one never changes the identifier.
  CFString a = CreateClientIdentifier(CFSTR("x"));
  EXPECT_EQ(CreateClientIdentifier(), GetBundleID());
  EXPECT_NE(a, GetBundleID());
}

}  // namespace
