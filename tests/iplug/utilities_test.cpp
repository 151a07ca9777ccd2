#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "iplug/core/IPlugGeometry.h"
#include "iplug/core/IPlugMenu.h"
#include "iplug/core/IPlugMidi.h"
#include "iplug/core/IPlugMutex.h"
#include "iplug/core/IPlugUtilities.h"

// ---- HeapBuffer -----------------------------------------------------------------------------

TEST(HeapBuffer, PageRuleCapacities) {
  struct Case {
    int granularity, size, capacity;
  } cases[] = {{4096, 8, 4000}, {4096, 368, 4000}, {4096, 10000, 12192}, {4096, 100000, 147360}, {128, 5, 133}};
  for (const Case& c : cases) {
    HeapBuffer buffer(c.granularity);
    EXPECT_NE(buffer.Resize(c.size), nullptr);
    EXPECT_EQ(buffer.GetSize(), c.size);
    EXPECT_EQ(buffer.GetAllocated(), c.capacity) << c.size;
  }
  // Growth steps are clamped to 4 MB.
  EXPECT_EQ(HeapBuffer::CapacityFor(20000000, 4096), ((20000000 + 96 + 4194304) / 4096) * 4096 - 96);
}

TEST(HeapBuffer, GrowsOnePageAndKeepsContents) {
  HeapBuffer buffer(4096);
  buffer.Resize(8);  // capacity 4000, which then holds 4000 bytes
  char* data = static_cast<char*>(buffer.Resize(4000));
  for (int i = 0; i < 4000; ++i) data[i] = static_cast<char>(i * 7);
  EXPECT_EQ(buffer.GetAllocated(), 4000);
  data = static_cast<char*>(buffer.Resize(4001));
  EXPECT_EQ(buffer.GetAllocated(), 8096);
  for (int i = 0; i < 4000; ++i) ASSERT_EQ(data[i], static_cast<char>(i * 7));
}

TEST(HeapBuffer, ShrinkThreshold) {
  HeapBuffer buffer(4096);
  buffer.Resize(100000);
  ASSERT_EQ(buffer.GetAllocated(), 147360);
  buffer.Resize(1000, false);  // without allowShrink the capacity never drops
  EXPECT_EQ(buffer.GetAllocated(), 147360);
  buffer.Resize(100000);
  buffer.Resize(1000, true);  // below the threshold of 73680
  EXPECT_EQ(buffer.GetAllocated(), 4000);
  EXPECT_EQ(buffer.GetSize(), 1000);

  HeapBuffer other(4096);
  other.Resize(10000);
  ASSERT_EQ(other.GetAllocated(), 12192);
  other.Resize(10, true);  // threshold 1: kept
  EXPECT_EQ(other.GetAllocated(), 12192);
  EXPECT_EQ(other.Resize(0, true), nullptr);  // freed
  EXPECT_EQ(other.Get(), nullptr);
  EXPECT_EQ(other.GetAllocated(), 0);
}

TEST(HeapBuffer, NegativeCountsAsZeroAndOversizeChangesNothing) {
  HeapBuffer buffer(4096);
  void* data = buffer.Resize(64);
  EXPECT_EQ(buffer.Resize(INT_MAX), data);  // capacity would pass 2 GB
  EXPECT_EQ(buffer.GetSize(), 64);
  EXPECT_EQ(buffer.GetAllocated(), 4000);
  buffer.Resize(-5);
  EXPECT_EQ(buffer.GetSize(), 0);
}

// ---- PlugString -----------------------------------------------------------------------------

TEST(PlugString, AssignCutsAndNullEmpties) {
  PlugString s("abcdefgh", 3);
  EXPECT_STREQ(s.Get(), "abc");
  s.Assign("hello world", 0);
  EXPECT_STREQ(s.Get(), "hello world");
  s.Assign(nullptr);
  EXPECT_STREQ(s.Get(), "");
  PlugString empty;
  EXPECT_STREQ(empty.Get(), "");
  EXPECT_EQ(empty.GetLength(), 0);
}

TEST(PlugString, WriteAtCutsTheRest) {
  PlugString s("abcdefgh");
  s.WriteAt(3, "XYZ", 3);
  EXPECT_STREQ(s.Get(), "abcXYZ");
  s.WriteAt(6, "12", 2);
  EXPECT_STREQ(s.Get(), "abcXYZ12");
  s.WriteAt(2, "", 0);  // length 0 away from position 0: nothing
  EXPECT_STREQ(s.Get(), "abcXYZ12");
  s.WriteAt(-1, "q", 1);
  s.WriteAt(1, "q", -1);
  EXPECT_STREQ(s.Get(), "abcXYZ12");
  s.WriteAt(INT_MAX, "q", 1);  // the size would not fit
  EXPECT_STREQ(s.Get(), "abcXYZ12");
  s.WriteAt(0, "", 0);
  EXPECT_STREQ(s.Get(), "");
}

TEST(PlugString, WriteAtFollowsItsOwnTextWhenGrowing) {
  PlugString s;
  std::string expected = "0123456789";
  s.Assign(expected.c_str());
  for (int i = 0; i < 6; ++i) {  // doubling from its own buffer forces reallocations
    s.WriteAt(s.GetLength(), s.Get(), s.GetLength());
    expected += expected;
  }
  EXPECT_EQ(std::string(s.Get()), expected);
}

TEST(PlugString, FormatCutsToMaxLength) {
  PlugString s;
  s.Format(32, "%i", 46);
  EXPECT_STREQ(s.Get(), "46");
  s.Format(5, "%s %d", "user preset", 3);
  EXPECT_STREQ(s.Get(), "user ");
  s.Format(0, "%d", 12345);
  EXPECT_STREQ(s.Get(), "");
}

TEST(PlugString, RemoveFileExtension) {
  PlugString s("C:\\presets\\My Preset.fxp");
  EXPECT_TRUE(s.RemoveFileExtension());
  EXPECT_STREQ(s.Get(), "C:\\presets\\My Preset");
  PlugString dotInFolder("/home/a.b/preset");
  EXPECT_FALSE(dotInFolder.RemoveFileExtension());
  EXPECT_STREQ(dotInFolder.Get(), "/home/a.b/preset");
  PlugString backslash("x.y\\name");
  EXPECT_FALSE(backslash.RemoveFileExtension());
  PlugString none("name");
  EXPECT_FALSE(none.RemoveFileExtension());
  EXPECT_STREQ(none.Get(), "name");
}

// ---- PointerList ----------------------------------------------------------------------------

namespace {
struct Tracked {
  Tracked(int id, std::vector<int>* log) : mId(id), mLog(log) {}
  ~Tracked() { mLog->push_back(mId); }
  int mId;
  std::vector<int>* mLog;
};
}  // namespace

TEST(PointerList, InsertGetAndDeleteOrder) {
  std::vector<int> deleted;
  {
    PointerList<Tracked> list;
    list.Add(new Tracked(1, &deleted));
    list.Add(new Tracked(3, &deleted));
    list.Insert(new Tracked(2, &deleted), 1);
    list.Insert(new Tracked(4, &deleted), 99);  // past the end: appended
    list.Insert(new Tracked(0, &deleted), -3);  // before the start: first
    ASSERT_EQ(list.GetSize(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list.Get(i)->mId, i);
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.Get(5), nullptr);
    list.DeleteAt(2);
    EXPECT_EQ(deleted, std::vector<int>{2});
    EXPECT_EQ(list.Get(2)->mId, 3);
    list.DeleteAt(7);  // ignored
    EXPECT_EQ(list.GetSize(), 4);
    list.DeleteAll();
    EXPECT_EQ(list.GetSize(), 0);
  }
  EXPECT_EQ(deleted, (std::vector<int>{2, 4, 3, 1, 0}));  // from the last to the first
}

// ---- ByteBlock ------------------------------------------------------------------------------

TEST(ByteBlock, NativeOrderRoundTrip) {
  ByteBlock block;
  const int32_t magic = 0x70666674;
  const double value = -2.5;
  EXPECT_EQ(block.Put(&magic), 4);
  EXPECT_EQ(block.Put(&value), 12);
  const uint8_t expected[12] = {0x74, 0x66, 0x66, 0x70, 0, 0, 0, 0, 0, 0, 0x04, 0xC0};
  ASSERT_EQ(block.Size(), 12);
  EXPECT_EQ(0, std::memcmp(block.GetBytes(), expected, 12));
  int32_t m = 0;
  double v = 0;
  EXPECT_EQ(block.Get(&m, 0), 4);
  EXPECT_EQ(block.Get(&v, 4), 12);
  EXPECT_EQ(m, magic);
  EXPECT_EQ(v, value);
}

TEST(ByteBlock, RefusedReadsLeaveTheOutputAlone) {
  ByteBlock block;
  std::vector<uint8_t> bytes(368, 0xAB);
  block.Put(bytes.data(), 368);
  double out = 1.25;
  EXPECT_EQ(block.Get(&out, 364), -1);  // fewer than 8 bytes remain
  EXPECT_EQ(block.Get(&out, -1), -1);
  EXPECT_EQ(block.Get(&out, -8, 0), -1);        // negative count
  EXPECT_EQ(block.Get(&out, 8, INT_MAX - 2), -1);  // position + count overflows
  EXPECT_EQ(block.Get(&out, INT_MAX, 8), -1);
  EXPECT_EQ(out, 1.25);
  EXPECT_EQ(block.Get(&out, 8, 360), 368);
  EXPECT_EQ(block.Get(&out, 0, 368), 368);
}

TEST(ByteBlock, RefusedWritesLeaveTheBlockAlone) {
  ByteBlock block;
  const char text[] = "abcd";
  block.Put(text, 4);
  EXPECT_EQ(block.Put(text, -1), 4);
  EXPECT_EQ(block.Put(nullptr, 4), 4);
  EXPECT_EQ(block.Put(text, INT_MAX), 4);  // the size would pass 2 GB
  EXPECT_EQ(0, std::memcmp(block.GetBytes(), "abcd", 4));
  EXPECT_FALSE(block.Resize(-1));
  EXPECT_TRUE(block.Resize(10));
  for (int i = 4; i < 10; ++i) EXPECT_EQ(block.GetBytes()[i], 0);
  block.Clear();
  EXPECT_EQ(block.Size(), 0);
  EXPECT_EQ(block.GetBytes(), nullptr);
}

// ---- Sample conversion ----------------------------------------------------------------------

TEST(ConvertDoublesToFloats, EqualsSampleBySampleInEveryGroupSize) {
  for (int count = 0; count <= 21; ++count) {
    std::vector<double> in(static_cast<size_t>(count) + 1);
    for (int i = 0; i <= count; ++i) in[static_cast<size_t>(i)] = std::sin(i * 0.37) * 1.0000001 + 1e-9 * i;
    std::vector<float> out(static_cast<size_t>(count) + 1, -7.0f);
    ConvertDoublesToFloats(out.data(), in.data(), count);
    for (int i = 0; i < count; ++i) ASSERT_EQ(out[static_cast<size_t>(i)], static_cast<float>(in[static_cast<size_t>(i)])) << count;
    EXPECT_EQ(out[static_cast<size_t>(count)], -7.0f);  // nothing past count
  }
  float untouched = 3.0f;
  const double one = 1.0;
  ConvertDoublesToFloats(&untouched, &one, 0);
  ConvertDoublesToFloats(&untouched, &one, -4);
  EXPECT_EQ(untouched, 3.0f);
}

TEST(ConvertDoublesToFloats, OverlappingBuffersConvertInOrder) {
  // Narrowing in place: each float lands below the doubles still to be read.
  std::vector<double> buffer(13);
  std::vector<float> expected(13);
  for (int i = 0; i < 13; ++i) {
    buffer[static_cast<size_t>(i)] = 0.1 * i + 1e-10;
    expected[static_cast<size_t>(i)] = static_cast<float>(buffer[static_cast<size_t>(i)]);
  }
  float* out = reinterpret_cast<float*>(buffer.data());
  ConvertDoublesToFloats(out, buffer.data(), 13);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(out[i], expected[static_cast<size_t>(i)]);
}

TEST(ConvertFloatsToDoubles, EqualsSampleBySample) {
  for (int count = 0; count <= 11; ++count) {
    std::vector<float> in(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) in[static_cast<size_t>(i)] = 0.3f * i - 1.0f;
    std::vector<double> out(static_cast<size_t>(count) + 1, 9.0);
    ConvertFloatsToDoubles(out.data(), in.data(), count);
    for (int i = 0; i < count; ++i) ASSERT_EQ(out[static_cast<size_t>(i)], static_cast<double>(in[static_cast<size_t>(i)]));
    EXPECT_EQ(out[static_cast<size_t>(count)], 9.0);
  }
}

// ---- MIDI -----------------------------------------------------------------------------------

TEST(IMidiEvent, MessageBytes) {
  IMidiEvent e;
  e.SetControlChange(7, 0.5, 2);
  EXPECT_EQ(e.mStatus, 0xB2);
  EXPECT_EQ(e.mData1, 7);
  EXPECT_EQ(e.mData2, 63);
  EXPECT_EQ(e.mOffset, 0);
  e.SetControlChange(1, 1.0, 0);
  EXPECT_EQ(e.mData2, 127);
  e.SetControlChange(1, 3.0, 0);  // out of range: capped, not wrapped
  EXPECT_EQ(e.mData2, 127);
  e.SetControlChange(1, std::nan(""), 0);
  EXPECT_EQ(e.mData2, 0);
  e.SetNoteOn(60, 100, 17, 9);
  EXPECT_EQ(e.mStatus, 0x99);
  EXPECT_EQ(e.mData1, 60);
  EXPECT_EQ(e.mData2, 100);
  EXPECT_EQ(e.mOffset, 17);
  e.SetNoteOff(61, 5, 3);
  EXPECT_EQ(e.mStatus, 0x83);
  EXPECT_EQ(e.mData1, 61);
  EXPECT_EQ(e.mData2, 0);
  EXPECT_EQ(e.mOffset, 5);
  e.SetNoteOn(200, 300, 0, 31);  // stays a note-on on a valid channel with 7-bit data
  EXPECT_EQ(e.mStatus & 0xF0, 0x90);
  EXPECT_LT(e.mData1, 128);
  EXPECT_LT(e.mData2, 128);
}

// ---- Rectangles -----------------------------------------------------------------------------

TEST(IRectangle, Intersect) {
  const IRectangle a(0, 0, 10, 10);
  EXPECT_EQ(a.Intersect(IRectangle(5, 5, 20, 20)), IRectangle(5, 5, 10, 10));
  const IRectangle edge = a.Intersect(IRectangle(10, 2, 20, 8));  // shares this one's right edge
  EXPECT_EQ(edge, IRectangle(10, 2, 10, 8));
  EXPECT_FALSE(edge.Empty());
  EXPECT_TRUE(IRectangle(10, 2, 20, 8).Intersect(a).Empty());  // the other way round: no overlap
  EXPECT_TRUE(a.Intersect(IRectangle(30, 30, 40, 40)).Empty());
  EXPECT_TRUE(a.Intersect(IRectangle()).Empty());
  EXPECT_TRUE(a.Contains(0, 0));
  EXPECT_FALSE(a.Contains(10, 5));
  EXPECT_FALSE(IRectangle().Contains(0, 0));
}

// ---- Menus ----------------------------------------------------------------------------------

TEST(IMenuList, InsertPositionsAndFlags) {
  IMenuList* sub = new IMenuList();
  {
    IMenuList menu(2);
    menu.AddEntry("b");
    menu.AddEntry("c", 99);
    menu.AddEntry("a", 0);
    menu.AddSeparator(-7);  // any negative position other than -1 is limited to 0
    menu.AddEntry("d")->SetSubmenu(sub);
    ASSERT_EQ(menu.NItems(), 5);
    EXPECT_EQ(menu.GetItem(0)->GetFlags(), IMenuEntry::kSeparator);
    EXPECT_STREQ(menu.GetItem(0)->GetText(), "");
    EXPECT_STREQ(menu.GetItem(1)->GetText(), "a");
    EXPECT_STREQ(menu.GetItem(2)->GetText(), "b");
    EXPECT_STREQ(menu.GetItem(3)->GetText(), "c");
    EXPECT_EQ(menu.GetItem(4)->GetSubmenu(), sub);
    EXPECT_EQ(menu.GetChosenIndex(), -1);
    EXPECT_EQ(menu.GetNumbering(), 2);
  }
  EXPECT_EQ(sub->NItems(), 0);  // the submenu outlives its parent
  delete sub;
}

// ---- Locks ----------------------------------------------------------------------------------

TEST(PlugMutex, ReentrantAndExclusive) {
  PlugMutex mutex;
  std::atomic<int> stage{0};
  long counter = 0;
  {
    PlugLock outer(&mutex);
    PlugLock inner(&mutex);  // the same thread enters again
    std::thread other([&] {
      stage = 1;
      PlugLock lock(&mutex);
      stage = 2;
    });
    while (stage == 0) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(stage, 1);  // still waiting: this thread holds both levels
    inner.Release();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(stage, 1);  // one level is still held
    outer.Release();
    other.join();
    EXPECT_EQ(stage, 2);
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        PlugLock lock(&mutex);
        PlugLock again(&mutex);
        ++counter;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(counter, 80000);
  PlugLock none(nullptr);  // a null mutex is not entered
}

// ---- Console ---------------------------------------------------------------

namespace {
std::string gCaptured;
void Capture(const char* text) { gCaptured += text; }
}  // namespace

TEST(PlugConsole, SinkCapturesFormattedText) {
  gCaptured.clear();
  SetPlugConsoleSink(Capture);
  PlugConsolePrint("attaching channel %d ...", 3);
  PlugConsolePrint("done\n");
  SetPlugConsoleSink(nullptr);
  EXPECT_EQ(gCaptured, "attaching channel 3 ...done\n");
}

TEST(PlugConsole, NumberedTextEqualsWhatFormattingWouldHaveMade) {
  SetPlugConsoleSink(Capture);
  const std::string longText(300, 'x');
  for (int number : {0, 7, -12, 2147483647, INT_MIN}) {
    for (const char* before : {"attaching channel ", longText.c_str()}) {
      gCaptured.clear();
      PlugConsolePrint("%s%d ...", before, number);
      const std::string formatted = gCaptured;
      gCaptured.clear();
      PlugConsoleWriteNumber(before, number, " ...");
      EXPECT_EQ(gCaptured, formatted) << number;
    }
  }
  gCaptured.clear();
  PlugConsoleWrite(longText.c_str());
  EXPECT_EQ(gCaptured, std::string(255, 'x'));
  SetPlugConsoleSink(nullptr);
}
