// The test host's WAV files: every sample format written and read back with libsndfile's
// conversions (so that its files and the native renderer's compare sample for sample), the
// chunk layouts other writers produce, and files that are refused without touching the result.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tools/vst3host/Vst3Host.h"
#include "tools/vst3host/WavFile.h"

using namespace vst3host;

namespace {

Wav Stereo(WavFormat format, std::vector<double> samples, int rate = 48000) {
  Wav wav;
  wav.sampleRate = rate;
  wav.channels = 2;
  wav.format = format;
  wav.samples = std::move(samples);
  return wav;
}

Wav RoundTrip(const Wav& wav) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(FormatWav(wav, &bytes, &error)) << error;
  Wav back;
  EXPECT_TRUE(ParseWav(bytes, &back, &error)) << error;
  return back;
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Chunk(std::vector<uint8_t>& b, const char* id, const std::vector<uint8_t>& body, bool pad = true) {
  b.insert(b.end(), id, id + 4);
  Put32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (pad && body.size() % 2) b.push_back(0);
}
std::vector<uint8_t> FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t align = 0) {
  std::vector<uint8_t> f;
  Put16(f, tag);
  Put16(f, channels);
  Put32(f, rate);
  Put32(f, rate * channels * bits / 8);
  Put16(f, align ? align : static_cast<uint16_t>(channels * bits / 8));
  Put16(f, bits);
  return f;
}
std::vector<uint8_t> Riff(const std::vector<uint8_t>& chunks) {
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
  Put32(b, static_cast<uint32_t>(chunks.size() + 4));
  b.insert(b.end(), {'W', 'A', 'V', 'E'});
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}

TEST(WavFile, EachFormatReadsBackWhatItWrote) {
  const std::vector<double> samples = {0.0, 0.5, -0.5, 0.25, -1.0, 0.125, 0.75, -0.0625};
  for (WavFormat format : {WavFormat::kPcm16, WavFormat::kPcm24, WavFormat::kPcm32, WavFormat::kFloat32,
                           WavFormat::kFloat64}) {
    SCOPED_TRACE(WavFormatName(format));
    const Wav back = RoundTrip(Stereo(format, samples, 96000));
    EXPECT_EQ(back.sampleRate, 96000);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.format, format);
    EXPECT_EQ(back.samples, samples);  // all of these are exact in every format
  }
  const Wav fine = RoundTrip(Stereo(WavFormat::kFloat64, {0.1, -1.0 / 3.0}));
  EXPECT_EQ(fine.samples[1], -1.0 / 3.0);
  const Wav single = RoundTrip(Stereo(WavFormat::kFloat32, {0.1, 3.5}));
  EXPECT_EQ(single.samples[0], static_cast<double>(0.1f));
  EXPECT_EQ(single.samples[1], 3.5);  // float is not clipped
}

TEST(WavFile, PcmIsQuantisedAndClippedAsLibsndfileDoes) {
  const double s31 = 2147483648.0, s15 = 32768.0, s23 = 8388608.0;
  // 32-bit: nearest, ties to even; the full scale is 2^31 and +1.0 clips to the largest value.
  Wav pcm32 = RoundTrip(Stereo(WavFormat::kPcm32, {1000.5 / s31, 1001.5 / s31, 1000.7 / s31, 1.0, -1.0, 2.0,
                                                   -3.0, std::nan("")}));
  const std::vector<double> expected32 = {1000 / s31, 1002 / s31, 1001 / s31, 2147483647 / s31, -1.0, 2147483647 / s31,
                                          -1.0, 0.0};
  EXPECT_EQ(pcm32.samples, expected32);
  // 16 and 24 bits keep the top bits of that integer: the rest is cut off (toward minus).
  Wav pcm16 = RoundTrip(Stereo(WavFormat::kPcm16, {1000.7 / s15, -1000.7 / s15, 1.0, -1.0}));
  EXPECT_EQ(pcm16.samples, (std::vector<double>{1000 / s15, -1001 / s15, 32767 / s15, -1.0}));
  Wav pcm24 = RoundTrip(Stereo(WavFormat::kPcm24, {1000.7 / s23, -1000.7 / s23, 1.0, -1.0}));
  EXPECT_EQ(pcm24.samples, (std::vector<double>{1000 / s23, -1001 / s23, 8388607 / s23, -1.0}));
}

TEST(WavFile, TheHeaderIsThePlainFortyFourBytes) {
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(FormatWav(Stereo(WavFormat::kPcm24, {0.5, -0.5, 0.25}), &bytes, &error) == false);  // 1.5 frames
  ASSERT_TRUE(FormatWav(Stereo(WavFormat::kPcm24, {0.5, -0.5, 0.25, 0.0, 0.0, 0.0}), &bytes, &error)) << error;
  ASSERT_EQ(bytes.size(), 44u + 18u);  // 18 data bytes, even: no pad
  std::vector<uint8_t> expected;
  Chunk(expected, "fmt ", FormatBody(1, 2, 48000, 24));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 12, bytes.begin() + 36), expected);
  EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
  EXPECT_EQ(bytes[4] | bytes[5] << 8, static_cast<int>(bytes.size() - 8));
  EXPECT_EQ(std::memcmp(bytes.data() + 36, "data", 4), 0);
  EXPECT_EQ(bytes[40], 18);
  // An odd data size is padded, and the RIFF size counts the pad byte.
  ASSERT_TRUE(FormatWav(Stereo(WavFormat::kPcm24, {0.5, -0.5}), &bytes, &error));
  ASSERT_EQ(bytes.size(), 44u + 6u);
  ASSERT_TRUE(FormatWav([] {
    Wav mono = Stereo(WavFormat::kPcm24, {0.5});
    mono.channels = 1;
    return mono;
  }(), &bytes, &error));
  ASSERT_EQ(bytes.size(), 44u + 4u);
  EXPECT_EQ(bytes[4], 40);
  EXPECT_EQ(bytes[40], 3);
}

TEST(WavFile, ExtensibleFormatsOtherChunksAndAnyOrderAreRead) {
  std::vector<uint8_t> extensible = FormatBody(0xFFFE, 2, 44100, 32);
  Put16(extensible, 22);
  Put16(extensible, 32);
  Put32(extensible, 3);
  const uint8_t floatSubFormat[16] = {3, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  extensible.insert(extensible.end(), floatSubFormat, floatSubFormat + 16);
  std::vector<uint8_t> data;
  for (float f : {0.5f, -0.25f, 0.125f, 1.5f, 0.0f}) {  // the fifth sample is a partial frame
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    Put32(data, bits);
  }
  std::vector<uint8_t> chunks;
  Chunk(chunks, "data", data);
  Chunk(chunks, "LIST", {'I', 'N', 'F', 'O', 'x'});  // odd, padded
  Chunk(chunks, "fmt ", extensible);
  Wav wav;
  std::string error;
  ASSERT_TRUE(ParseWav(Riff(chunks), &wav, &error)) << error;
  EXPECT_EQ(wav.format, WavFormat::kFloat32);
  EXPECT_EQ(wav.sampleRate, 44100);
  EXPECT_EQ(wav.samples, (std::vector<double>{0.5, -0.25, 0.125, 1.5}));

  // A file that ends right after an odd chunk without its pad byte is still whole.
  std::vector<uint8_t> tail;
  Chunk(tail, "fmt ", FormatBody(1, 1, 8000, 16));
  Chunk(tail, "data", {0x00, 0x40, 0x00}, false);
  ASSERT_TRUE(ParseWav(Riff(tail), &wav, &error)) << error;
  EXPECT_EQ(wav.samples, std::vector<double>{0.5});
}

TEST(WavFile, DamagedOrForeignFilesAreRefusedAndTheResultLeftAlone) {
  const std::vector<uint8_t> goodFormat = FormatBody(1, 2, 44100, 16);
  const std::vector<uint8_t> someData = {1, 2, 3, 4};
  auto file = [&](const std::vector<uint8_t>& format, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> chunks;
    if (!format.empty()) Chunk(chunks, "fmt ", format);
    if (!data.empty()) Chunk(chunks, "data", data);
    return Riff(chunks);
  };
  std::vector<uint8_t> truncated = file(goodFormat, someData);
  truncated.resize(truncated.size() - 1);
  std::vector<uint8_t> notWave = file(goodFormat, someData);
  notWave[8] = 'A';
  std::vector<uint8_t> lyingSize = file(goodFormat, someData);
  lyingSize[lyingSize.size() - 8] = 0xFF;  // the data chunk claims more than the file holds
  std::vector<uint8_t> shortFormat(goodFormat.begin(), goodFormat.begin() + 14);
  std::vector<uint8_t> shortExtensible = FormatBody(0xFFFE, 2, 44100, 16);
  const std::vector<std::vector<uint8_t>> bad = {
      {},
      {'R', 'I', 'F', 'F'},
      notWave,
      truncated,
      lyingSize,
      file(shortFormat, someData),
      file(shortExtensible, someData),
      file(FormatBody(1, 2, 44100, 8), someData),      // 8-bit
      file(FormatBody(2, 2, 44100, 16), someData),     // ADPCM
      file(FormatBody(3, 2, 44100, 16), someData),     // 16-bit float
      file(FormatBody(1, 0, 44100, 16), someData),     // no channels
      file(FormatBody(1, 65, 44100, 16), someData),    // too many
      file(FormatBody(1, 2, 0, 16), someData),         // no rate
      file(FormatBody(1, 2, 44100, 16, 6), someData),  // frame size
      file(goodFormat, {}),                            // no data
      file({}, someData),                              // no format
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    Wav wav = Stereo(WavFormat::kFloat64, {0.25, 0.5});
    std::string error;
    EXPECT_FALSE(ParseWav(bad[i], &wav, &error)) << "file " << i;
    EXPECT_FALSE(error.empty()) << "file " << i;
    EXPECT_EQ(wav.samples, (std::vector<double>{0.25, 0.5})) << "file " << i;
  }
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(FormatWav(Stereo(WavFormat::kPcm16, {0.0, 0.0}, 0), &bytes, &error));
  Wav none = Stereo(WavFormat::kPcm16, {});
  none.channels = 0;
  EXPECT_FALSE(FormatWav(none, &bytes, &error));
  EXPECT_FALSE(ReadWavFile("no/such/file.wav", &none, &error));
}

TEST(WavFile, TheTestSignalAndTheComparison) {
  const Wav a = MakeTestSignal(44100, 1.0), b = MakeTestSignal(44100, 1.0);
  EXPECT_EQ(a.channels, 4);
  EXPECT_EQ(a.format, WavFormat::kPcm32);
  EXPECT_EQ(a.Frames(), 44100);
  EXPECT_EQ(a.samples, b.samples);
  double peak[4] = {};
  for (long long i = 0; i < a.Frames(); ++i)
    for (int c = 0; c < 4; ++c) peak[c] = std::max(peak[c], std::fabs(a.At(i, c)));
  for (double p : peak) {
    EXPECT_GT(p, 0.05);
    EXPECT_LE(p, 0.25);
  }
  double worst = -1;
  long long frame = -1;
  std::string error;
  Wav c = a;
  c.samples[4 * 1000 + 3] += 1e-6;
  ASSERT_TRUE(CompareWav(a, c, &worst, &frame, &error));
  EXPECT_NEAR(worst, 1e-6, 1e-12);
  EXPECT_EQ(frame, 1000);
  c.samples.resize(c.samples.size() - 4);
  EXPECT_FALSE(CompareWav(a, c, &worst, &frame, &error));
}

}  // namespace
