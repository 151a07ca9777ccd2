#pragma once
// Checks of a factory's class records in the three published forms (PClassInfo, PClassInfo2,
// PClassInfoW), read through the published slots into guarded buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "raw_host.h"

namespace rawhost {

struct ClassExpectation {
  const unsigned char* cid;
  int32_t cardinality;
  std::string category;
  std::u16string name;  // all texts are ASCII in the 8-bit forms
  uint32_t classFlags;
  std::string subCategories;
  std::u16string vendor, version, sdkVersion;
};

inline std::string ascii(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// Class `index` of the factory, in all three forms.
inline void expectClassRecords(void* factory, int32_t index, const ClassExpectation& e) {
  Record c1(116);
  ASSERT_EQ(call<int32_t>(factory, slot::getClassInfo, index, c1.data()), kOk);
  EXPECT_EQ(std::memcmp(c1.data(), e.cid, 16), 0);
  EXPECT_EQ(field<int32_t>(c1.data(), 16), e.cardinality);
  EXPECT_EQ(text8(c1.data(), 20), e.category);
  EXPECT_EQ(text8(c1.data(), 52), ascii(e.name));
  EXPECT_TRUE(c1.guardIntact());

  void* factory2 = query(factory, kIPluginFactory2);
  ASSERT_NE(factory2, nullptr);
  Record c2(440);
  EXPECT_EQ(call<int32_t>(factory2, slot::getClassInfo2, index, c2.data()), kOk);
  release(factory2);
  EXPECT_EQ(std::memcmp(c2.data(), c1.data(), 116), 0);  // the first form is the head of the second
  EXPECT_EQ(field<uint32_t>(c2.data(), 116), e.classFlags);
  EXPECT_EQ(text8(c2.data(), 120), e.subCategories);
  EXPECT_EQ(text8(c2.data(), 248), ascii(e.vendor));
  EXPECT_EQ(text8(c2.data(), 312), ascii(e.version));
  EXPECT_EQ(text8(c2.data(), 376), ascii(e.sdkVersion));
  EXPECT_TRUE(c2.guardIntact());

  void* factory3 = query(factory, kIPluginFactory3);
  ASSERT_NE(factory3, nullptr);
  Record w(696);
  EXPECT_EQ(call<int32_t>(factory3, slot::getClassInfoUnicode, index, w.data()), kOk);
  release(factory3);
  EXPECT_EQ(std::memcmp(w.data(), e.cid, 16), 0);
  EXPECT_EQ(field<int32_t>(w.data(), 16), e.cardinality);
  EXPECT_EQ(text8(w.data(), 20), e.category);
  EXPECT_EQ(u16at(w.data(), 52), e.name);
  EXPECT_EQ(field<uint32_t>(w.data(), 180), e.classFlags);
  EXPECT_EQ(text8(w.data(), 184), e.subCategories);
  EXPECT_EQ(u16at(w.data(), 312), e.vendor);
  EXPECT_EQ(u16at(w.data(), 440), e.version);
  EXPECT_EQ(u16at(w.data(), 568), e.sdkVersion);
  EXPECT_TRUE(w.guardIntact());
}

}  // namespace rawhost
