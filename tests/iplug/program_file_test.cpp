#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "recording_plug.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A file path of its own for each test, removed afterwards.
class TempFile {
 public:
  TempFile() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::random_device random;
    mPath = (std::filesystem::temp_directory_path() /
             ("corvane_iplug_" + std::string(info->name()) + "_" + std::to_string(random()) + ".fxp"))
                .string();
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(mPath, ignored);
  }
  const char* Path() const { return mPath.c_str(); }
  void Write(const Bytes& bytes) const {
    std::ofstream out(mPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  Bytes Read() const {
    std::ifstream in(mPath, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string mPath;
};

void BE(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 24));
  b.push_back(static_cast<uint8_t>(v >> 16));
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}

void Name28(Bytes& b, const std::string& name) {
  for (size_t i = 0; i < 28; ++i) b.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
}

// A hand-made 'FxCk' file; the fields are given as raw 32-bit words.
Bytes FxCk(uint32_t magic, uint32_t version, uint32_t id, uint32_t count, const std::string& name,
           const std::vector<uint32_t>& floatBits, uint32_t form = 0x4678436B) {
  Bytes b;
  BE(b, magic);
  BE(b, 0);
  BE(b, form);
  BE(b, version);
  BE(b, id);
  BE(b, 20008);
  BE(b, count);
  Name28(b, name);
  for (uint32_t bits : floatBits) BE(b, bits);
  return b;
}

constexpr uint32_t kCcnK = 0x43636E4B;
constexpr uint32_t kCrvn = 0x4372766E;
constexpr uint32_t kFloatZero = 0x00000000, kFloatHalf = 0x3F000000, kFloatOne = 0x3F800000,
                   kFloatQuarter = 0x3E800000, kFloatTwo = 0x40000000, kFloatNaN = 0x7FC00000,
                   kFloatMinusOne = 0xBF800000;

// Three numbers in [0, 10] with step 0.1, values 0, 5 and 10; preset 0 named "My preset".
struct FilePlug : RecordingPlug {
  explicit FilePlug(bool stateChunks = false) : RecordingPlug(3, "1-1", 2, stateChunks) {
    for (int i = 0; i < 3; ++i) GetParam(i)->InitNumber("p", 5.0 * i, 0, 10, 0.1);
    MakePresetFromParamPairs("My preset", 0);
  }
  std::vector<double> Values() const { return {GetParam(0)->Value(), GetParam(1)->Value(), GetParam(2)->Value()}; }
};

// Writes the bytes to a file of their own and has the plug-in read it.
bool ReadBytes(FilePlug& plug, const Bytes& bytes) {
  TempFile file;
  file.Write(bytes);
  PlugString path(file.Path());
  return plug.ReadPresetFile(&path);
}

// Reads a refused file into a fresh plug-in and checks that nothing changed.
void ExpectRefused(bool stateChunks, const Bytes& bytes, const char* what) {
  FilePlug plug(stateChunks);
  EXPECT_FALSE(ReadBytes(plug, bytes)) << what;
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.0, 5.0, 10.0})) << what;
  EXPECT_STREQ(plug.PresetNameAt(0), "My preset") << what;
  EXPECT_TRUE(plug.hostCalls.empty()) << what;
  // (A chunk that fails to read back is undone by reading the previous state again.)
  if (!stateChunks) {
    EXPECT_TRUE(plug.paramChanges.empty()) << what;
  }
}

}  // namespace

// ---- Writing ------------------------------------------------------------------------------------

TEST(ProgramFile, WritesParameterForm) {
  FilePlug plug;
  TempFile file;
  PlugString path(file.Path());
  ASSERT_TRUE(plug.WritePresetFile(&path));
  const Bytes expected = {
      0x43, 0x63, 0x6E, 0x4B, 0x00, 0x00, 0x00, 0x00, 0x46, 0x78, 0x43, 0x6B, 0x00, 0x00, 0x00, 0x01,
      0x43, 0x72, 0x76, 0x6E, 0x00, 0x00, 0x4E, 0x28, 0x00, 0x00, 0x00, 0x03,
      'M',  'y',  ' ',  'p',  'r',  'e',  's',  'e',  't',  0,    0,    0,    0,    0,
      0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
      0x00, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0x3F, 0x80, 0x00, 0x00};
  EXPECT_EQ(file.Read(), expected);
}

TEST(ProgramFile, WritesChunkForm) {
  RecordingPlug plug(2, "1-1", 1, true);
  plug.GetParam(0)->InitNumber("a", 1.0, -100, 100, 1);
  plug.GetParam(1)->InitNumber("b", -100.0, -100, 100, 1);
  TempFile file;
  PlugString path(file.Path());
  ASSERT_TRUE(plug.WritePresetFile(&path));
  const Bytes expected = {
      0x43, 0x63, 0x6E, 0x4B, 0x00, 0x00, 0x00, 0x54, 0x46, 0x50, 0x43, 0x68, 0x00, 0x00, 0x00, 0x01,
      0x43, 0x72, 0x76, 0x6E, 0x00, 0x00, 0x4E, 0x28, 0x00, 0x00, 0x00, 0x02,
      'e',  'm',  'p',  't',  'y',  0,    0,    0,    0,    0,    0,    0,    0,    0,
      0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
      0x00, 0x00, 0x00, 0x18,                                      // chunk size
      0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00,              // chunk header
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F,              // 1.0
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0xC0};             // -100.0
  EXPECT_EQ(file.Read(), expected);
}

TEST(ProgramFile, LongPresetNamesAreCutTo27Characters) {
  FilePlug plug;
  plug.ModifyCurrentPreset("0123456789012345678901234567890123456789");
  TempFile file;
  PlugString path(file.Path());
  ASSERT_TRUE(plug.WritePresetFile(&path));
  const Bytes bytes = file.Read();
  ASSERT_EQ(bytes.size(), 68u);
  EXPECT_EQ(std::string(bytes.begin() + 28, bytes.begin() + 55), "012345678901234567890123456");
  EXPECT_EQ(bytes[55], 0);
}

TEST(ProgramFile, WriteFailuresAreReported) {
  FilePlug plug;
  PlugString empty("");
  EXPECT_FALSE(plug.WritePresetFile(&empty));
  EXPECT_FALSE(plug.WritePresetFile(nullptr));
  TempFile file;
  PlugString noFolder((std::string(file.Path()) + "_missing/x.fxp").c_str());
  EXPECT_FALSE(plug.WritePresetFile(&noFolder));
#if !defined(_WIN32)
  if (std::filesystem::exists("/dev/full")) {  // every write fails there with "no space"
    PlugString full("/dev/full");
    EXPECT_FALSE(plug.WritePresetFile(&full));
  }
#endif
}

// ---- Reading ------------------------------------------------------------------------------------

TEST(ProgramFile, ReadRestoresValuesAndRenamesThePreset) {
  FilePlug plug;
  ASSERT_TRUE(ReadBytes(plug, FxCk(kCcnK, 1, kCrvn, 3, "Loaded", {kFloatQuarter, kFloatOne, kFloatZero})));
  EXPECT_EQ(plug.Values(), (std::vector<double>{2.5, 10.0, 0.0}));
  EXPECT_STREQ(plug.PresetNameAt(0), "Loaded");
  ASSERT_EQ(plug.hostCalls.size(), 1u);
  EXPECT_EQ(plug.hostCalls[0].kind, HostCall::kDisplay);
  ASSERT_EQ(plug.paramChanges.size(), 3u);  // announced once with source 2
  EXPECT_EQ(plug.paramChanges[2].source, kSourceRecall);
  // The current preset holds the loaded state.
  plug.GetParam(0)->Set(9.0);
  ASSERT_TRUE(plug.RecallPreset(0));
  EXPECT_EQ(plug.GetParam(0)->Value(), 2.5);
}

TEST(ProgramFile, RoundTripThroughTheWriter) {
  FilePlug plug;
  plug.GetParam(0)->Set(3.3);
  plug.ModifyCurrentPreset("Round trip");
  TempFile file;
  PlugString path(file.Path());
  ASSERT_TRUE(plug.WritePresetFile(&path));
  FilePlug other;
  ASSERT_TRUE(other.ReadPresetFile(&path));
  EXPECT_NEAR(other.GetParam(0)->Value(), 3.3, 1e-6);
  EXPECT_EQ(other.GetParam(2)->Value(), 10.0);
  EXPECT_STREQ(other.PresetNameAt(0), "Round trip");
}

TEST(ProgramFile, EmptyNameKeepsThePresetName) {
  FilePlug plug;
  ASSERT_TRUE(ReadBytes(plug, FxCk(kCcnK, 1, kCrvn, 3, "", {kFloatHalf, kFloatHalf, kFloatHalf})));
  EXPECT_STREQ(plug.PresetNameAt(0), "My preset");
  EXPECT_EQ(plug.Values(), (std::vector<double>{5.0, 5.0, 5.0}));
}

TEST(ProgramFile, ValuesAreClampedToTheUnitRange) {
  FilePlug plug;
  ASSERT_TRUE(ReadBytes(plug, FxCk(kCcnK, 1, kCrvn, 3, "x", {kFloatTwo, kFloatMinusOne, kFloatHalf})));
  EXPECT_EQ(plug.Values(), (std::vector<double>{10.0, 0.0, 5.0}));
}

TEST(ProgramFile, RefusedFilesChangeNothing) {
  const std::vector<uint32_t> values = {kFloatOne, kFloatOne, kFloatOne};
  Bytes unterminated = FxCk(kCcnK, 1, kCrvn, 3, "", values);
  for (int i = 28; i < 56; ++i) unterminated[static_cast<size_t>(i)] = 'n';
  Bytes truncated = FxCk(kCcnK, 1, kCrvn, 3, "short", values);
  truncated.pop_back();
  Bytes headerOnly = FxCk(kCcnK, 1, kCrvn, 3, "short", {});
  headerOnly.resize(40);
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"magic", FxCk(0x43636E4C, 1, kCrvn, 3, "bad", values)},
      {"version", FxCk(kCcnK, 2, kCrvn, 3, "bad", values)},
      {"unique id", FxCk(kCcnK, 1, 0x41424344, 3, "bad", values)},
      {"count", FxCk(kCcnK, 1, kCrvn, 4, "bad", {kFloatOne, kFloatOne, kFloatOne, kFloatOne})},
      {"form", FxCk(kCcnK, 1, kCrvn, 3, "bad", values, 0x46784268)},
      {"chunk form without the flag", FxCk(kCcnK, 1, kCrvn, 3, "bad", values, 0x46504368)},
      {"NaN value", FxCk(kCcnK, 1, kCrvn, 3, "bad", {kFloatOne, kFloatNaN, kFloatOne})},
      {"unterminated name", unterminated},
      {"values cut short", truncated},
      {"header cut short", headerOnly},
      {"empty file", Bytes()},
  };
  for (const auto& c : cases) ExpectRefused(false, c.bytes, c.what);
}

TEST(ProgramFile, MissingHugeAndUnnamedFilesAreRefused) {
  FilePlug plug;
  PlugString empty("");
  EXPECT_FALSE(plug.ReadPresetFile(&empty));
  EXPECT_FALSE(plug.ReadPresetFile(nullptr));
  TempFile missing;
  PlugString missingPath(missing.Path());
  EXPECT_FALSE(plug.ReadPresetFile(&missingPath));

  TempFile huge;
  Bytes bytes = FxCk(kCcnK, 1, kCrvn, 3, "huge", {kFloatOne, kFloatOne, kFloatOne});
  bytes.resize(17u * 1024 * 1024);
  huge.Write(bytes);
  PlugString hugePath(huge.Path());
  EXPECT_FALSE(plug.ReadPresetFile(&hugePath));
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.0, 5.0, 10.0}));
}

// ---- Chunk form -----------------------------------------------------------------------------------

namespace {
Bytes FPCh(uint32_t chunkSize, const Bytes& chunk) {
  Bytes b;
  BE(b, kCcnK);
  BE(b, chunkSize + 60);
  BE(b, 0x46504368);
  BE(b, 1);
  BE(b, kCrvn);
  BE(b, 20008);
  BE(b, 3);
  Name28(b, "Chunk");
  BE(b, chunkSize);
  b.insert(b.end(), chunk.begin(), chunk.end());
  return b;
}
const Bytes kHeader = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
const Bytes kThreeValues = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F,     // 1.0
                            0, 0, 0, 0, 0, 0, 0x00, 0x40,     // 2.0
                            0, 0, 0, 0, 0, 0, 0x08, 0x40};    // 3.0
}  // namespace

TEST(ProgramFile, ChunkFormReadsWithAndWithoutHeader) {
  for (bool withHeader : {true, false}) {
    FilePlug plug(true);
    Bytes chunk = withHeader ? kHeader : Bytes();
    chunk.insert(chunk.end(), kThreeValues.begin(), kThreeValues.end());
    ASSERT_TRUE(ReadBytes(plug, FPCh(static_cast<uint32_t>(chunk.size()), chunk))) << withHeader;
    EXPECT_EQ(plug.Values(), (std::vector<double>{1.0, 2.0, 3.0})) << withHeader;
    EXPECT_STREQ(plug.PresetNameAt(0), "Chunk");
  }
  // The parameter form is read whatever the flag says.
  FilePlug plug(true);
  ASSERT_TRUE(ReadBytes(plug, FxCk(kCcnK, 1, kCrvn, 3, "Params", {kFloatOne, kFloatOne, kFloatOne})));
  EXPECT_EQ(plug.Values(), (std::vector<double>{10.0, 10.0, 10.0}));
}

TEST(ProgramFile, ChunkFormRefusals) {
  Bytes shortChunk = kHeader;
  shortChunk.insert(shortChunk.end(), kThreeValues.begin(), kThreeValues.begin() + 16);
  Bytes full = kHeader;
  full.insert(full.end(), kThreeValues.begin(), kThreeValues.end());
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"chunk larger than the file", FPCh(1000, full)},
      {"chunk that does not read back", FPCh(static_cast<uint32_t>(shortChunk.size()), shortChunk)},
  };
  for (const auto& c : cases) ExpectRefused(true, c.bytes, c.what);
}
