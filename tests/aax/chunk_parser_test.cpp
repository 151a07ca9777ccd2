#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "iplug/aax/AAX_CChunkDataParser.h"

namespace {

// A chunk record of exactly the header plus the given data bytes, so that the sanitizers
// catch any read past the data.
class Record {
 public:
  explicit Record(size_t dataBytes) : mBytes(kAAXChunkHeaderSize + dataBytes, 0xEE) {}
  explicit Record(const std::vector<unsigned char>& data) : Record(data.size()) {
    if (!data.empty()) std::memcpy(Data(), data.data(), data.size());
    Chunk()->fSize = static_cast<int32_t>(data.size());
    Chunk()->fVersion = 3;
  }
  AAX_SPlugInChunk* Chunk() { return reinterpret_cast<AAX_SPlugInChunk*>(mBytes.data()); }
  unsigned char* Data() { return mBytes.data() + kAAXChunkHeaderSize; }
  std::vector<unsigned char> DataBytes() {
    return std::vector<unsigned char>(Data(), Data() + Chunk()->fSize);
  }

 private:
  std::vector<unsigned char> mBytes;
};

std::vector<unsigned char> Written(const AAX_CChunkDataParser& parser) {
  Record record(static_cast<size_t>(parser.GetChunkDataSize()));
  EXPECT_EQ(0, parser.GetChunkData(record.Chunk()));
  EXPECT_EQ(parser.GetChunkDataSize(), record.Chunk()->fSize);
  return record.DataBytes();
}

std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
  std::vector<unsigned char> out;
  for (int v : values) out.push_back(static_cast<unsigned char>(v));
  return out;
}

void AppendText(std::vector<unsigned char>* out, const char* text) {
  const size_t n = std::strlen(text);
  out->insert(out->end(), text, text + n + 1);
  while (out->size() % 4) out->push_back(0);
}

TEST(ChunkDataParser, WritesTheExactByteLayout) {
  AAX_CChunkDataParser parser;
  EXPECT_EQ(Bytes({1, 1, 1, 1}), Written(parser));

  parser.AddDouble("Gain", 1.0);
  EXPECT_EQ(Bytes({1, 1, 1, 1, 'd', '_', 'G', 'a', 'i', 'n', 0, 0, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}),
            Written(parser));

  parser.Clear();
  parser.AddInt32("M", -2);
  parser.AddString("Nm", AAX_CString("abcd"));  // text + zero byte = 5: padded to 8
  parser.AddInt32("xyz", 0x01020304);           // name + 3 = 6: key padded to 8
  parser.AddString("e", AAX_CString(""));
  EXPECT_EQ(4 + (4 + 4) + (8 + 8) + (8 + 4) + (4 + 4), parser.GetChunkDataSize());
  std::vector<unsigned char> expected = Bytes({1, 1, 1, 1, 'l', '_', 'M', 0, 0xFF, 0xFF, 0xFF, 0xFE,
                                               'r', '_', 'N', 'm', 0, 0, 0, 0, 'a', 'b', 'c', 'd', 0, 0, 0, 0,
                                               'l', '_', 'x', 'y', 'z', 0, 0, 0, 1, 2, 3, 4,
                                               'r', '_', 'e', 0, 0, 0, 0, 0});
  EXPECT_EQ(expected, Written(parser));
}

TEST(ChunkDataParser, RoundTripKeepsEveryValueAndTheVersion) {
  AAX_CChunkDataParser writer;
  writer.AddDouble("threshold", -23.625);
  writer.AddInt32("mode", 3);
  writer.AddString("label", AAX_CString("Vocal ride"));  // 10 + 1: not a multiple of 4
  writer.AddInt32("after", -7);
  writer.AddDouble("tiny", 5e-324);
  writer.AddInt32("min", INT32_MIN);

  Record record(static_cast<size_t>(writer.GetChunkDataSize()));
  ASSERT_EQ(0, writer.GetChunkData(record.Chunk()));
  record.Chunk()->fVersion = 9;

  AAX_CChunkDataParser reader;
  reader.AddInt32("stale", 1);
  reader.LoadChunk(record.Chunk());
  EXPECT_EQ(9, reader.GetChunkVersion());
  ASSERT_EQ(6u, reader.Entries().size());
  EXPECT_EQ(-1, reader.FindIndex("stale"));

  double d = 0;
  int32_t i = 0;
  AAX_CString text;
  EXPECT_TRUE(reader.FindDouble("threshold", &d));
  EXPECT_EQ(-23.625, d);
  EXPECT_TRUE(reader.FindInt32("mode", &i));
  EXPECT_EQ(3, i);
  EXPECT_TRUE(reader.FindString("label", &text));
  EXPECT_STREQ("Vocal ride", text.Get());
  EXPECT_TRUE(reader.FindInt32("after", &i));
  EXPECT_EQ(-7, i);
  EXPECT_TRUE(reader.FindDouble("tiny", &d));
  EXPECT_EQ(5e-324, d);
  EXPECT_TRUE(reader.FindInt32("min", &i));
  EXPECT_EQ(INT32_MIN, i);

  // Written again, the data is the same byte for byte.
  EXPECT_EQ(Written(writer), Written(reader));
}

TEST(ChunkDataParser, LookupsFollowTheLastHit) {
  AAX_CChunkDataParser parser;
  parser.AddInt32("a", 1);
  parser.AddDouble("b", 2.0);
  parser.AddInt32("a", 3);  // names may repeat
  EXPECT_EQ(-1, parser.GetLastHitIndex());

  EXPECT_EQ(0, parser.FindIndex("a"));
  EXPECT_EQ(1, parser.FindIndex("b"));
  EXPECT_EQ(2, parser.FindIndex("a"));  // the search goes on after the last hit
  EXPECT_EQ(0, parser.FindIndex("a"));  // from the last entry it starts over
  EXPECT_EQ(-1, parser.FindIndex("zz"));
  EXPECT_EQ(0, parser.GetLastHitIndex());  // unchanged by a miss
  EXPECT_EQ(1, parser.FindIndex("b"));
  EXPECT_EQ(2, parser.FindIndex("a"));
  EXPECT_EQ(1, parser.FindIndex("b"));  // from the last entry the search starts over

  AAX_CChunkDataParser three;
  three.AddInt32("x", 1);
  three.AddInt32("y", 2);
  three.AddInt32("z", 3);
  EXPECT_EQ(1, three.FindIndex("y"));
  EXPECT_EQ(0, three.FindIndex("x"));  // nothing after the hit: the search wraps to the front
  EXPECT_EQ(1, three.FindIndex("y"));
  EXPECT_EQ(1, three.FindIndex("y"));  // the hit itself is found again on the second pass

  // A typed look-up of another type fails and leaves the out value alone.
  int32_t i = 77;
  double d = 7.5;
  AAX_CString text("keep");
  EXPECT_FALSE(parser.FindInt32("b", &i));
  EXPECT_EQ(77, i);
  EXPECT_FALSE(parser.FindDouble("a", &d));
  EXPECT_FALSE(parser.FindDouble("a", &d));
  EXPECT_EQ(7.5, d);
  EXPECT_FALSE(parser.FindString("a", &text));
  EXPECT_FALSE(parser.FindInt32("missing", &i));
  EXPECT_STREQ("keep", text.Get());
  EXPECT_EQ(77, i);

  parser.Clear();
  EXPECT_EQ(-1, parser.GetLastHitIndex());
  EXPECT_EQ(-1, parser.GetChunkVersion());
  EXPECT_TRUE(parser.Entries().empty());
  EXPECT_EQ(-1, parser.FindIndex("a"));
}

TEST(ChunkDataParser, ReadsOtherTagsAndKeepsUnknownOnesUnfound) {
  std::vector<unsigned char> data = Bytes({1, 1, 1, 1});
  AppendText(&data, "f_flt");
  for (int b : {0x3F, 0x80, 0, 0}) data.push_back(static_cast<unsigned char>(b));
  AppendText(&data, "s_short");
  for (int b : {0xFF, 0xFE, 0, 0}) data.push_back(static_cast<unsigned char>(b));
  AppendText(&data, "q_odd");  // unknown tag: no value follows
  AppendText(&data, "l_last");
  for (int b : {0, 0, 1, 0}) data.push_back(static_cast<unsigned char>(b));
  Record record(data);

  AAX_CChunkDataParser parser;
  parser.LoadChunk(record.Chunk());
  ASSERT_EQ(4u, parser.Entries().size());
  EXPECT_EQ(kChunkFloat, parser.Entries()[0].type);
  EXPECT_EQ(0x3F800000u, parser.Entries()[0].value);
  EXPECT_EQ(kChunkInt16, parser.Entries()[1].type);
  EXPECT_EQ(static_cast<uint32_t>(-2), parser.Entries()[1].value);
  EXPECT_EQ(kChunkUnknown, parser.Entries()[2].type);
  EXPECT_STREQ("odd", parser.Entries()[2].name.Get());

  int32_t i = 0;
  double d = 0;
  AAX_CString text;
  EXPECT_FALSE(parser.FindInt32("short", &i));
  EXPECT_FALSE(parser.FindDouble("flt", &d));
  EXPECT_FALSE(parser.FindInt32("odd", &i));
  EXPECT_FALSE(parser.FindDouble("odd", &d));
  EXPECT_FALSE(parser.FindString("odd", &text));
  EXPECT_TRUE(parser.FindInt32("last", &i));
  EXPECT_EQ(256, i);

  // Written back, the known entries keep their bytes; the unknown one keeps its key.
  std::vector<unsigned char> expected = data;
  const size_t unknownAt = 4 + 8 + 4 + 8 + 4;
  expected[unknownAt] = '?';
  EXPECT_EQ(static_cast<int32_t>(data.size()), parser.GetChunkDataSize());
  EXPECT_EQ(expected, Written(parser));
}

TEST(ChunkDataParser, RefusesMissingOrWrongHeaders) {
  AAX_CChunkDataParser parser;
  for (const std::vector<unsigned char>& data :
       {Bytes({}), Bytes({1, 1, 1}), Bytes({1, 1, 1, 1}), Bytes({1, 1, 1, 2, 'l', '_', 'a', 0, 0, 0, 0, 1}),
        Bytes({0, 0, 0, 0, 'l', '_', 'a', 0, 0, 0, 0, 1})}) {
    Record record(data);
    parser.AddInt32("old", 1);
    parser.LoadChunk(record.Chunk());
    EXPECT_TRUE(parser.Entries().empty());
    EXPECT_EQ(3, parser.GetChunkVersion());
  }
  Record negative(Bytes({1, 1, 1, 1, 'l', '_', 'a', 0, 0, 0, 0, 1}));
  negative.Chunk()->fSize = -8;
  parser.LoadChunk(negative.Chunk());
  EXPECT_TRUE(parser.Entries().empty());
}

TEST(ChunkDataParser, StopsAtAValueThatPassesTheEnd) {
  // Each case: a good entry, then one whose value does not fit in the data.
  std::vector<unsigned char> good = Bytes({1, 1, 1, 1, 'l', '_', 'a', 0, 0, 0, 0, 5});
  struct Case {
    const char* what;
    std::vector<unsigned char> tail;
  };
  const std::vector<Case> cases = {
      {"double cut short", Bytes({'d', '_', 'b', 0, 0x3F, 0xF0, 0, 0})},
      {"int cut short", Bytes({'l', '_', 'b', 0, 0, 0})},
      {"short cut short", Bytes({'s', '_', 'b', 0, 0, 1})},
      {"key only", Bytes({'d', '_', 'b', 0})},
      {"key without zero byte", Bytes({'d', '_', 'b', 'c'})},
      {"text without zero byte", Bytes({'r', '_', 'b', 0, 'x', 'y', 'z', 'w'})},
      {"text key at the end", Bytes({'r', '_', 'b', 0})},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> data = good;
    data.insert(data.end(), c.tail.begin(), c.tail.end());
    Record record(data);
    AAX_CChunkDataParser parser;
    parser.LoadChunk(record.Chunk());
    ASSERT_EQ(1u, parser.Entries().size()) << c.what;
    int32_t i = 0;
    EXPECT_TRUE(parser.FindInt32("a", &i)) << c.what;
    EXPECT_EQ(5, i) << c.what;
    EXPECT_EQ(-1, parser.FindIndex("b")) << c.what;
  }
}

TEST(ChunkDataParser, OddKeysAreReadWithinTheData) {
  // A key shorter than its tag has no name; a key of more than 255 characters is cut there.
  std::vector<unsigned char> data = Bytes({1, 1, 1, 1, 'd', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  std::string longKey = "l_" + std::string(300, 'k');
  std::vector<unsigned char> longPart(longKey.begin(), longKey.end());
  data.insert(data.end(), longPart.begin(), longPart.end());
  data.push_back(0);
  while (data.size() % 4) data.push_back(0);
  Record record(data);
  AAX_CChunkDataParser parser;
  parser.LoadChunk(record.Chunk());
  ASSERT_FALSE(parser.Entries().empty());
  EXPECT_EQ(kChunkDouble, parser.Entries()[0].type);
  EXPECT_EQ(0u, parser.Entries()[0].name.Length());
  ASSERT_GE(parser.Entries().size(), 2u);
  // The cut key is 255 characters: the name is its last 253, and its value is read at the next
  // multiple of 4 after the 256th byte (here the 'k' characters of the rest of the key).
  EXPECT_EQ(kChunkInt32, parser.Entries()[1].type);
  EXPECT_EQ(253u, parser.Entries()[1].name.Length());
  EXPECT_EQ(0x6B6B6B6Bu, parser.Entries()[1].value);
}

TEST(ChunkDataParser, NoDataShapeReadsOutsideTheRecord) {
  AAX_CChunkDataParser writer;
  writer.AddDouble("a", 0.5);
  writer.AddString("text", AAX_CString("hello"));
  writer.AddInt32("bb", 4);
  writer.AddString("ccc", AAX_CString("xy"));
  Record full(static_cast<size_t>(writer.GetChunkDataSize()));
  ASSERT_EQ(0, writer.GetChunkData(full.Chunk()));
  const std::vector<unsigned char> valid = full.DataBytes();

  AAX_CChunkDataParser reader;
  // Every truncation: the entries wholly inside are read, nothing beyond.
  for (size_t n = 0; n <= valid.size(); ++n) {
    Record record(std::vector<unsigned char>(valid.begin(), valid.begin() + n));
    reader.LoadChunk(record.Chunk());
    EXPECT_LE(reader.Entries().size(), 4u);
  }
  EXPECT_EQ(4u, reader.Entries().size());

  // Random damage to the valid chunk and random data behind a good header.
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    std::vector<unsigned char> data = valid;
    if (round % 2) {
      data.resize(4 + random() % 80);
      for (size_t k = 4; k < data.size(); ++k) data[k] = static_cast<unsigned char>(random() % 4 ? random() : 0);
    } else {
      for (int k = 0; k < 4; ++k) data[4 + random() % (data.size() - 4)] = static_cast<unsigned char>(random());
      data.resize(4 + random() % (data.size() - 3));
    }
    Record record(data);
    reader.LoadChunk(record.Chunk());
    for (const ChunkEntry& entry : reader.Entries()) {
      EXPECT_LE(entry.name.Length(), 253u);
      EXPECT_LT(entry.text.Length(), data.size());
    }
  }
}

}  // namespace
