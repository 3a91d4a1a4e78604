#include "panel/QZVJobNote.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "panel/PanelTestSupport.h"
#include "platform/TextEncoding.h"
#include "security/AES256CBC.h"
#include "security/DES.h"
#include "security/KeyMaterial.h"

namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

std::string DesDecrypt(const std::string& hex, size_t keyOffset) {
  std::vector<uint8_t> bytes = FromHex(hex);
  deskey(kJobNoteKeyRegion + keyOffset, DE1);
  for (size_t at = 0; at + 8 <= bytes.size(); at += 8) des(&bytes[at], &bytes[at]);
  return std::string(bytes.begin(), bytes.end());
}

std::string AesDecrypt(const std::string& hex, size_t keyOffset, size_t vectorOffset) {
  std::vector<uint8_t> bytes = FromHex(hex);
  std::string text;
  AES256CBC::DoAES256DecryptText(reinterpret_cast<const char*>(kJobNoteKeyRegion + keyOffset),
                                 reinterpret_cast<const char*>(kJobNoteVectorRegion + vectorOffset),
                                 bytes.data(), bytes.size(), text);
  return text;
}

struct Encrypted {
  bool ok;
  std::string hex;
};

Encrypted Encrypt(const QZVJobNote& item, const std::string& plain) {
  std::string copy = plain;
  unsigned char out[kEncryptedNoteSize + 8];
  std::memset(out, 0x5A, sizeof out);
  const bool ok = item.encryptNote(nullptr, reinterpret_cast<unsigned char*>(copy.data()), out);
  EXPECT_EQ(out[kEncryptedNoteSize], 0x5A) << "wrote past the output";
  return {ok, reinterpret_cast<const char*>(out)};
}

class JobNoteCipherTest : public ::testing::Test {
 protected:
  void TearDown() override { gQZVPPD = nullptr; }
};

}  // namespace

TEST(JobNoteHex, UpperCaseHighNibbleFirstWithoutTerminator) {
  const unsigned char in[] = {0x00, 0x0F, 0xA5, 0xFF};
  char out[10];
  std::memset(out, '#', sizeof out);
  toHex(in, 4, out);
  EXPECT_EQ(std::string(out, 10), "000FA5FF##");
}

TEST(JobNoteText, ConvertsFromApplicationEncodingToUTF8) {
  const TextEncoding saved = GetApplicationTextEncoding();
  SetApplicationTextEncoding(kTextEncodingMacRoman);
  char out[4 * 4 + 1];
  EXPECT_TRUE(
      ConvertTextFromApplicationToUTF8("\x8A"
                                       "b",
                                       out));  // a-umlaut in Mac Roman
  EXPECT_STREQ(out,
               "\xC3\xA4"
               "b");
  EXPECT_TRUE(ConvertTextFromApplicationToUTF8("", out));
  EXPECT_STREQ(out, "");
  SetApplicationTextEncoding(saved);
}

TEST(JobNoteItem, SpecialKeywordsUserDataAndRanges) {
  TestPPD ppd(NoteLine("*Notes1", "Alpha") + NoteLine("*QZUserAuthPwd", "Alpha") +
              NoteLine("*Instruc", "Alpha") + NoteLine("*QZCost", "Decimal|TwoCharField"));
  PPDXControls* controls = ppd->GetControls();
  struct Case {
    const char* keyword;
    bool special;
    short index;
  } cases[] = {{"*Notes1", true, 0}, {"*QZUserAuthPwd", true, 7}, {"*Instruc", false, -1}};
  for (const Case& c : cases) {
    QZVJobNote item(controls->FindJobNote(c.keyword, true), true);
    short index = 99;
    EXPECT_EQ(item.specialKeyword(&index), c.special) << c.keyword;
    EXPECT_EQ(index, c.index) << c.keyword;
  }

  PPDXJobNote* note = controls->FindJobNote("*Notes1", true);
  QZVJobNote item(note, true);
  note->SetNotes("");
  EXPECT_EQ(item.getUserData(nullptr), 0);
  note->SetNotes(nullptr);
  EXPECT_EQ(item.getUserData(nullptr), 0);
  note->SetNotes("abc");
  char text[8] = {};
  EXPECT_EQ(item.getUserData(text), 4);
  EXPECT_STREQ(text, "abc");

  QZVJobNote cost(controls->FindJobNote("*QZCost", true), true);
  char ok[] = "12,34";
  char bad[] = "123";
  EXPECT_TRUE(cost.checkRangeValues(ok));
  EXPECT_FALSE(cost.checkRangeValues(bad));
  EXPECT_TRUE(item.checkRangeValues(bad));  // other notes take any digits
}

TEST(JobNoteItem, NotesOnFollowsTheNoteUnlessInitialised) {
  TestPPD ppd(NoteLine("*Notes1", "Alpha"));
  PPDXJobNote* note = ppd->GetControls()->FindJobNote("*Notes1", true);
  note->SetNotesOnValue(false);
  QZVJobNote fromNote(note, false);
  EXPECT_FALSE(fromNote.NotesOn());
  EXPECT_TRUE(gUserAuthNameWasInited);
  QZVJobNote on(note, true);
  EXPECT_TRUE(on.NotesOn());
  EXPECT_TRUE(note->GetNotesOnValue());
  EXPECT_FALSE(gUserAuthNameWasInited);
}

TEST_F(JobNoteCipherTest, NeedsADocument) {
  TestPPD ppd(NoteLine("*DeptPassword", "Alpha|Encrypt"));
  QZVJobNote item(ppd->GetControls()->FindJobNote("*DeptPassword", true), true);
  gQZVPPD = nullptr;
  Encrypted e = Encrypt(item, "secret");
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.hex, "");
}

// DES and AES, their key and vector slots, and what chooses the cipher: the
// cipher text must read back with the key material at the expected offsets.
TEST_F(JobNoteCipherTest, CipherAndKeySlotChoice) {
  struct Case {
    const char* flags;
    const char* useKey;        // null: no option
    const char* useAlgorithm;  // null: no option
    bool aes;
    size_t keyOffset;
    size_t vectorOffset;
  } cases[] = {
      {"Alpha|Encrypt", nullptr, nullptr, false, 0, 0},
      {"Alpha|AESEncrypt", nullptr, nullptr, true, 0, 0},
      {"Alpha|AESEncrypt", nullptr, "1", false, 0, 0},  // the option overrides the flag
      {"Alpha|Encrypt", nullptr, "2", true, 0, 0},
      {"Alpha|Encrypt", "2", nullptr, false, 8, 0},
      {"Alpha|Encrypt", "4", nullptr, false, 24, 0},
      {"Alpha|AESEncrypt", "5", nullptr, true, 56, 16},
      {"Alpha|AESEncrypt", "6", nullptr, true, 88, 32},
      {"Alpha|AESEncrypt", "7", nullptr, true, 120, 48},
      {"Alpha|AESEncrypt", "8", nullptr, true, 152, 0},
      {"Alpha|Encrypt", "9", nullptr, false, 0, 0},  // unknown slot: like no option
      {"Alpha|AESEncrypt", "True", nullptr, true, 0, 0},
  };
  for (const Case& c : cases) {
    std::string body = NoteLine("*DeptPassword", c.flags);
    if (c.useKey) body += SpecialOption("*UseSpecialKey", c.useKey);
    if (c.useAlgorithm) body += SpecialOption("*UseSpecialAlgorithm", c.useAlgorithm);
    TestPPD ppd(body);
    gQZVPPD = ppd.get();
    QZVJobNote item(ppd->GetControls()->FindJobNote("*DeptPassword", true), true);
    const std::string plain = "pw-1234567";
    Encrypted e = Encrypt(item, plain);
    SCOPED_TRACE(std::string(c.flags) + " key " + (c.useKey ? c.useKey : "-") + " alg " +
                 (c.useAlgorithm ? c.useAlgorithm : "-"));
    ASSERT_TRUE(e.ok);
    EXPECT_TRUE(IsUpperHex(e.hex));
    if (c.aes) {
      EXPECT_EQ(e.hex.size() % 32, 0u);
      EXPECT_EQ(AesDecrypt(e.hex, c.keyOffset, c.vectorOffset), plain);
    } else {
      EXPECT_EQ(e.hex.size() % 16, 0u);
      const std::string padded = DesDecrypt(e.hex, c.keyOffset);
      ASSERT_EQ(padded.size(), 16u);  // 10 bytes and 6 pad bytes of value 6
      EXPECT_EQ(padded, plain + std::string(6, '\6'));
    }
  }
}

// DES always pads, so a text of a whole number of blocks gains a block; AES
// enciphers the text with its NUL. The cipher text is cut to 256 hexadecimal
// digits and stays terminated.
TEST_F(JobNoteCipherTest, LengthsAtTheEdges) {
  TestPPD ppd(NoteLine("*Resume", "Alpha|Encrypt") + NoteLine("*Notes2", "Alpha|AESEncrypt"));
  gQZVPPD = ppd.get();
  QZVJobNote des(ppd->GetControls()->FindJobNote("*Resume", true), true);
  QZVJobNote aes(ppd->GetControls()->FindJobNote("*Notes2", true), true);
  struct Case {
    const QZVJobNote* item;
    size_t plain;
    size_t hex;
    bool ok;
  } cases[] =
      {
          {&des, 0, 16, true},    {&des, 7, 16, true},    {&des, 8, 32, true},
          {&des, 200, 256, true}, {&aes, 0, 32, true},    {&aes, 14, 32, true},
          {&aes, 15, 64, true},   {&aes, 200, 256, true}, {&aes, 270, 256, true},
          {&aes, 271, 0, false},  // beyond the cipher buffer: nothing, never a partial text
      };
  for (const Case& c : cases) {
    Encrypted e = Encrypt(*c.item, std::string(c.plain, 'x'));
    EXPECT_EQ(e.ok, c.ok) << c.plain;
    EXPECT_EQ(e.hex.size(), c.hex) << c.plain;
  }
}
