#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "iplug/aax/AAX_CString.h"

namespace {

// A foreign AAX_IString, as a host would pass one.
class PlainString : public AAX_IString {
 public:
  uint32_t Length() const override { return static_cast<uint32_t>(mText.size()); }
  uint32_t MaxLength() const override { return 100; }
  const char* Get() const override { return mText.c_str(); }
  void Set(const char* text) override {
    mText = text;
    ++mSets;
  }
  AAX_IString& AssignText(const char* text) override {
    Set(text);
    return *this;
  }
  AAX_IString& AssignString(const AAX_IString& other) override {
    Set(other.Get());
    return *this;
  }
  std::string mText;
  int mSets = 0;
};

TEST(AAXString, ConstructionAndAssignment) {
  AAX_CString empty;
  EXPECT_EQ(0u, empty.Length());
  EXPECT_STREQ("", empty.Get());
  EXPECT_EQ(0xFFFFFFFEu, empty.MaxLength());

  AAX_CString fromNull(static_cast<const char*>(nullptr));
  EXPECT_EQ(0u, fromNull.Length());
  ASSERT_NE(nullptr, fromNull.Get());
  EXPECT_EQ('\0', fromNull.Get()[0]);

  AAX_CString text("Gain");
  EXPECT_EQ(4u, text.Length());
  EXPECT_STREQ("Gain", text.Get());

  AAX_CString copy(text);
  copy.Set("Range");
  EXPECT_STREQ("Gain", text.Get());
  EXPECT_STREQ("Range", copy.Get());

  PlainString foreign;
  foreign.mText = "host";
  AAX_CString fromForeign(static_cast<const AAX_IString&>(foreign));
  EXPECT_STREQ("host", fromForeign.Get());

  AAX_CString& self = text;
  text = self;
  EXPECT_STREQ("Gain", text.Get());
  text = copy;
  EXPECT_STREQ("Range", text.Get());

  EXPECT_EQ(&text, &text.AssignText("abc"));
  EXPECT_STREQ("abc", text.Get());
  EXPECT_EQ(&text, &text.AssignString(foreign));
  EXPECT_STREQ("host", text.Get());
  text.AssignString(text);
  EXPECT_STREQ("host", text.Get());
  text.Set(nullptr);
  EXPECT_EQ(0u, text.Length());

  // Text is cut at its first zero byte.
  const char embedded[] = {'a', 'b', '\0', 'c', '\0'};
  text.Set(embedded);
  EXPECT_EQ(2u, text.Length());
}

TEST(AAXString, EditingWithinAndBeyondTheText) {
  AAX_CString text("abcdef");
  text.Erase(1, 2);
  EXPECT_STREQ("adef", text.Get());
  text.Erase(2, 100);  // fewer characters left than asked for
  EXPECT_STREQ("ad", text.Get());
  text.Erase(2, 5);  // at the end: nothing to remove
  EXPECT_STREQ("ad", text.Get());
  try {
    text.Erase(3, 1);
    FAIL() << "no error for a position beyond the text";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ("invalid string position", error.what());
  }
  EXPECT_STREQ("ad", text.Get());

  AAX_CString source("0123456789");
  PlainString out;
  source.SubString(3, 4, &out);
  EXPECT_EQ("3456", out.mText);
  source.SubString(8, 10, &out);
  EXPECT_EQ("89", out.mText);
  source.SubString(10, 1, &out);
  EXPECT_EQ("", out.mText);
  const int sets = out.mSets;
  EXPECT_THROW(source.SubString(11, 1, &out), std::out_of_range);
  EXPECT_EQ(sets, out.mSets);
  EXPECT_EQ("", out.mText);

  EXPECT_EQ('0', source[0]);
  EXPECT_EQ('9', source[9]);
  EXPECT_THROW(source[10], std::out_of_range);

  AAX_CString joined("ab");
  joined.Append(AAX_CString("cd"));
  EXPECT_STREQ("abcd", joined.Get());
  joined.Append(joined);
  EXPECT_STREQ("abcdabcd", joined.Get());
  joined.Clear();
  EXPECT_EQ(0u, joined.Length());
  EXPECT_STREQ("", joined.Get());
}

TEST(AAXString, AppendNumberInFixedNotation) {
  AAX_CString text("x=");
  text.AppendNumber(1.26, 1);
  EXPECT_STREQ("x=1.3", text.Get());
  text.Clear();
  text.AppendNumber(-3.14159, 3);
  EXPECT_STREQ("-3.142", text.Get());
  text.Clear();
  text.AppendNumber(2.4, 0);
  EXPECT_STREQ("2", text.Get());
  text.AppendNumber(0.0, 2);
  EXPECT_STREQ("20.00", text.Get());  // appended after what is there
  text.Clear();
  text.AppendNumber(1e20, 2);
  EXPECT_STREQ("100000000000000000000.00", text.Get());
  text.Clear();
  text.AppendNumber(0.5, -1);
  EXPECT_STREQ("0", text.Get());
}

TEST(AAXString, ToDoubleReadsALeadingNumber) {
  double value = 7.0;
  EXPECT_FALSE(AAX_CString("letters").ToDouble(&value));
  EXPECT_EQ(0.0, value);
  value = 7.0;
  EXPECT_FALSE(AAX_CString("").ToDouble(&value));
  EXPECT_EQ(0.0, value);
  EXPECT_TRUE(AAX_CString("  \t-2.5").ToDouble(&value));
  EXPECT_EQ(-2.5, value);
  EXPECT_TRUE(AAX_CString("1.5 dB").ToDouble(&value));
  EXPECT_EQ(1.5, value);
  EXPECT_TRUE(AAX_CString("1.5dB").ToDouble(&value));
  EXPECT_EQ(1.5, value);
  EXPECT_TRUE(AAX_CString("+3e2Hz").ToDouble(&value));
  EXPECT_EQ(300.0, value);
  EXPECT_FALSE(AAX_CString("- 3").ToDouble(&value));
  EXPECT_EQ(0.0, value);
}

TEST(AAXString, EqualityComparesBytes) {
  EXPECT_TRUE(AAX_CString("Gain") == AAX_CString("Gain"));
  EXPECT_FALSE(AAX_CString("Gain") == AAX_CString("gain"));
  EXPECT_TRUE(AAX_CString("Gain") != AAX_CString("Gai"));
  EXPECT_TRUE(AAX_CString("") == AAX_CString(static_cast<const char*>(nullptr)));
  EXPECT_TRUE(AAX_CString("\xC3\xA9") != AAX_CString("\xC3\xA8"));
}

}  // namespace
