#include <gtest/gtest.h>

#include <string>

#include "iplug/vst3/layer/vst3_strings.h"

using namespace Steinberg;

namespace {
std::u16string repeat16(char16 c, int n) { return std::u16string(static_cast<std::size_t>(n), c); }
}  // namespace

TEST(Vst3Strings, CopyIntoString128IsCutTo127UnitsAndTerminated) {
  char16 buffer[128];
  for (auto& u : buffer) u = u'#';
  const std::u16string longName = repeat16(u'a', 200);
  copyString16(buffer, longName.c_str());
  EXPECT_EQ(strLength16(buffer), 127);
  EXPECT_EQ(buffer[127], 0);

  const std::u16string exact = repeat16(u'b', 127);
  copyString16(buffer, exact.c_str());
  EXPECT_EQ(std::u16string(buffer), exact);

  copyString16(buffer, u"Gain");
  EXPECT_EQ(std::u16string(buffer), u"Gain");
  copyString16(buffer, nullptr);
  EXPECT_EQ(buffer[0], 0);
}

TEST(Vst3Strings, DegenerateBuffersAreLeftAlone) {
  char16 guard[2] = {u'x', u'y'};
  copyString16(guard, 0, u"text");
  copyString16(nullptr, 10, u"text");
  EXPECT_EQ(guard[0], u'x');
  copyString16(guard, 1, u"text");
  EXPECT_EQ(guard[0], 0);
  EXPECT_EQ(guard[1], u'y');
}

TEST(Vst3Strings, EightBitTextIsLatin1BothWays) {
  char16 wide[16];
  widenString(wide, "caf\xE9 \x80");
  EXPECT_EQ(wide[3], 0x00E9);  // not sign-extended to 0xFFE9
  EXPECT_EQ(wide[5], 0x0080);
  EXPECT_EQ(wide[6], 0);

  char narrow[16];
  narrowString(narrow, u"\u00E9\u20AC\u0152x");
  EXPECT_EQ(static_cast<unsigned char>(narrow[0]), 0xE9);
  EXPECT_EQ(narrow[1], '?');  // beyond Latin-1: never a wrong low byte ('R' for U+0152)
  EXPECT_EQ(narrow[2], '?');
  EXPECT_STREQ(narrow + 3, "x");

  char small[4];
  narrowString(small, u"Cubase");
  EXPECT_STREQ(small, "Cub");
}

TEST(Vst3Strings, FixedFieldsAreZeroFilledAndAlwaysTerminated) {
  char field[8];
  std::memset(field, 0x55, sizeof field);
  copyFixedString8(field, 8, "Fx");
  EXPECT_STREQ(field, "Fx");
  for (int i = 2; i < 8; ++i) EXPECT_EQ(field[i], 0) << i;

  copyFixedString8(field, 8, "12345678");  // exactly fills: cut, so a host never reads past
  EXPECT_STREQ(field, "1234567");

  char16 wide[6];
  for (auto& u : wide) u = 0x5555;
  widenFixedString(wide, 6, "ab");
  EXPECT_EQ(std::u16string(wide), u"ab");
  for (int i = 2; i < 6; ++i) EXPECT_EQ(wide[i], 0) << i;
  widenFixedString(wide, 6, "abcdefgh");
  EXPECT_EQ(std::u16string(wide), u"abcde");
}

TEST(Vst3Strings, LengthComparisonAndIdStrings) {
  EXPECT_EQ(strLength16(nullptr), 0);
  EXPECT_EQ(strLength16(u"Read"), 4);
  EXPECT_EQ(strCompare16(u"Read", u"Read"), 0);
  EXPECT_LT(strCompare16(u"Read", u"Write"), 0);
  EXPECT_GT(strCompare16(u"Reads", u"Read"), 0);
  EXPECT_LT(strCompare16(u"", u"a"), 0);
  EXPECT_EQ(strCompare16(nullptr, u""), 0);

  EXPECT_TRUE(isSameIDString("editor", "editor"));
  EXPECT_FALSE(isSameIDString("editor", "editor2"));
  EXPECT_FALSE(isSameIDString("editor", "edit"));
  EXPECT_FALSE(isSameIDString(nullptr, "editor"));
  EXPECT_FALSE(isSameIDString(nullptr, nullptr));
}

TEST(Vst3Strings, FixedString16HoldsConvertedText) {
  const String128Text title("Detector 1 gain");
  EXPECT_EQ(std::u16string(title.get()), u"Detector 1 gain");
  EXPECT_EQ(title.length(), 15);
  const std::string longText(300, 'z');
  const String128Text cut(longText.c_str());
  EXPECT_EQ(cut.length(), 127);
  const FixedString16<4> tiny(u"abcdef");
  EXPECT_EQ(std::u16string(tiny), u"abc");
}
