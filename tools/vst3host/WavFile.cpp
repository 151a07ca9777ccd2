#include "tools/vst3host/WavFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace vst3host {

namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr double kFullScale32 = 2147483648.0;  // 2^31

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

int BytesPerSample(WavFormat format) {
  switch (format) {
    case WavFormat::kPcm16: return 2;
    case WavFormat::kPcm24: return 3;
    case WavFormat::kPcm32:
    case WavFormat::kFloat32: return 4;
    case WavFormat::kFloat64: return 8;
  }
  return 0;
}

bool IsFloat(WavFormat format) { return format == WavFormat::kFloat32 || format == WavFormat::kFloat64; }

// The format of a (tag, bits) pair; false when it is none this reader knows.
bool FormatOf(std::uint16_t tag, std::uint16_t bits, WavFormat* format) {
  if (tag == kTagPcm && bits == 16) *format = WavFormat::kPcm16;
  else if (tag == kTagPcm && bits == 24) *format = WavFormat::kPcm24;
  else if (tag == kTagPcm && bits == 32) *format = WavFormat::kPcm32;
  else if (tag == kTagFloat && bits == 32) *format = WavFormat::kFloat32;
  else if (tag == kTagFloat && bits == 64) *format = WavFormat::kFloat64;
  else return false;
  return true;
}

double ReadSample(const std::uint8_t* p, WavFormat format) {
  switch (format) {
    case WavFormat::kPcm16: return static_cast<std::int16_t>(Get16(p)) / 32768.0;
    case WavFormat::kPcm24: {
      std::int32_t v = static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16);
      if (v & 0x800000) v -= 0x1000000;
      return v / 8388608.0;
    }
    case WavFormat::kPcm32: return static_cast<std::int32_t>(Get32(p)) / kFullScale32;
    case WavFormat::kFloat32: {
      float f;
      std::memcpy(&f, p, sizeof f);
      return f;
    }
    case WavFormat::kFloat64: {
      double d;
      std::memcpy(&d, p, sizeof d);
      return d;
    }
  }
  return 0.0;
}

// A sample at 32-bit full scale, clipped; shorter PCM keeps the top bits (arithmetic shift), as
// libsndfile does with clipping on.
std::int32_t FullScaleInteger(double value) {
  if (std::isnan(value)) return 0;
  const double scaled = value * kFullScale32;
  if (scaled >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (scaled <= -kFullScale32) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(std::llrint(scaled));
}

void WriteSample(std::vector<std::uint8_t>& out, double value, WavFormat format) {
  switch (format) {
    case WavFormat::kPcm16: Put16(out, static_cast<std::uint16_t>(FullScaleInteger(value) >> 16)); break;
    case WavFormat::kPcm24: {
      const std::uint32_t v = static_cast<std::uint32_t>(FullScaleInteger(value) >> 8);
      for (int i = 0; i < 3; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
      break;
    }
    case WavFormat::kPcm32: Put32(out, static_cast<std::uint32_t>(FullScaleInteger(value))); break;
    case WavFormat::kFloat32: {
      const float f = static_cast<float>(value);
      std::uint32_t bits;
      std::memcpy(&bits, &f, sizeof bits);
      Put32(out, bits);
      break;
    }
    case WavFormat::kFloat64: {
      std::uint64_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      Put32(out, static_cast<std::uint32_t>(bits));
      Put32(out, static_cast<std::uint32_t>(bits >> 32));
      break;
    }
  }
}

struct FormatChunk {
  WavFormat format;
  int channels;
  int sampleRate;
};

bool ParseFormatChunk(const std::uint8_t* p, std::uint32_t size, FormatChunk* fmt, std::string* error) {
  if (size < 16) {
    *error = "the format chunk is too short";
    return false;
  }
  std::uint16_t tag = Get16(p);
  const std::uint16_t channels = Get16(p + 2);
  const std::uint32_t rate = Get32(p + 4);
  const std::uint16_t blockAlign = Get16(p + 12);
  const std::uint16_t bits = Get16(p + 14);
  if (tag == kTagExtensible) {
    if (size < 40) {
      *error = "the extensible format chunk is too short";
      return false;
    }
    tag = Get16(p + 24);  // the first two bytes of the sub-format identifier
  }
  if (!FormatOf(tag, bits, &fmt->format)) {
    *error = "unsupported sample format (tag " + std::to_string(tag) + ", " + std::to_string(bits) + " bits)";
    return false;
  }
  if (channels < 1 || channels > kMaxWavChannels) {
    *error = "unsupported channel count " + std::to_string(channels);
    return false;
  }
  if (rate < 1 || rate > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
    *error = "bad sample rate " + std::to_string(rate);
    return false;
  }
  if (blockAlign != channels * BytesPerSample(fmt->format)) {
    *error = "the frame size does not match the sample format";
    return false;
  }
  fmt->channels = channels;
  fmt->sampleRate = static_cast<int>(rate);
  return true;
}

}  // namespace

const char* WavFormatName(WavFormat format) {
  switch (format) {
    case WavFormat::kPcm16: return "16-bit PCM";
    case WavFormat::kPcm24: return "24-bit PCM";
    case WavFormat::kPcm32: return "32-bit PCM";
    case WavFormat::kFloat32: return "32-bit float";
    case WavFormat::kFloat64: return "64-bit float";
  }
  return "?";
}

bool ParseWav(const std::vector<std::uint8_t>& bytes, Wav* wav, std::string* error) {
  const std::size_t n = bytes.size();
  if (n < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    *error = "not a RIFF WAVE file";
    return false;
  }
  bool haveFormat = false, haveData = false;
  FormatChunk fmt{};
  std::size_t dataAt = 0, dataSize = 0;
  std::size_t at = 12;
  while (n - at >= 8) {
    const std::uint8_t* head = bytes.data() + at;
    const std::size_t size = Get32(head + 4);
    at += 8;
    if (size > n - at) {
      *error = "the \"" + std::string(reinterpret_cast<const char*>(head), 4) + "\" chunk runs past the end of the file";
      return false;
    }
    if (std::memcmp(head, "fmt ", 4) == 0 && !haveFormat) {
      if (!ParseFormatChunk(bytes.data() + at, static_cast<std::uint32_t>(size), &fmt, error)) return false;
      haveFormat = true;
    } else if (std::memcmp(head, "data", 4) == 0 && !haveData) {
      dataAt = at;
      dataSize = size;
      haveData = true;
    }
    at += size;
    if (size & 1) at += at < n ? 1 : 0;  // pad byte (a file may end without it)
  }
  if (!haveFormat) {
    *error = "no format chunk";
    return false;
  }
  if (!haveData) {
    *error = "no data chunk";
    return false;
  }
  const int sampleBytes = BytesPerSample(fmt.format);
  const std::size_t frameBytes = static_cast<std::size_t>(fmt.channels) * sampleBytes;
  const std::size_t frames = dataSize / frameBytes;  // a partial last frame is dropped
  if (frames > static_cast<std::size_t>(kMaxWavFrames)) {
    *error = "too many frames";
    return false;
  }
  Wav result;
  result.sampleRate = fmt.sampleRate;
  result.channels = fmt.channels;
  result.format = fmt.format;
  result.samples.resize(frames * fmt.channels);
  const std::uint8_t* p = bytes.data() + dataAt;
  for (double& sample : result.samples) {
    sample = ReadSample(p, fmt.format);
    p += sampleBytes;
  }
  *wav = std::move(result);
  return true;
}

bool FormatWav(const Wav& wav, std::vector<std::uint8_t>* bytes, std::string* error) {
  if (wav.channels < 1 || wav.channels > kMaxWavChannels || wav.sampleRate < 1) {
    *error = "bad channel count or sample rate";
    return false;
  }
  if (wav.samples.size() % static_cast<std::size_t>(wav.channels) != 0) {
    *error = "the samples are not a whole number of frames";
    return false;
  }
  const int sampleBytes = BytesPerSample(wav.format);
  const std::uint64_t dataBytes = static_cast<std::uint64_t>(wav.samples.size()) * sampleBytes;
  if (dataBytes > 0xFFFFFFFFull - 64) {
    *error = "too large for a WAV file";
    return false;
  }
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(dataBytes) + 45);
  const std::uint32_t data = static_cast<std::uint32_t>(dataBytes);
  const std::uint32_t pad = data & 1;
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  Put32(out, 4 + 8 + 16 + 8 + data + pad);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(out, 16);
  Put16(out, IsFloat(wav.format) ? kTagFloat : kTagPcm);
  Put16(out, static_cast<std::uint16_t>(wav.channels));
  Put32(out, static_cast<std::uint32_t>(wav.sampleRate));
  Put32(out, static_cast<std::uint32_t>(wav.sampleRate) * wav.channels * sampleBytes);
  Put16(out, static_cast<std::uint16_t>(wav.channels * sampleBytes));
  Put16(out, static_cast<std::uint16_t>(8 * sampleBytes));
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  Put32(out, data);
  for (double sample : wav.samples) WriteSample(out, sample, wav.format);
  if (pad) out.push_back(0);
  *bytes = std::move(out);
  return true;
}

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

bool ReadWavFile(const std::string& path, Wav* wav, std::string* error) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    *error = "cannot open \"" + path + "\"";
    return false;
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t piece[65536];
  std::size_t got;
  while ((got = std::fread(piece, 1, sizeof piece, f.get())) > 0) {
    bytes.insert(bytes.end(), piece, piece + got);
    if (bytes.size() > 0xFFFFFFFFull + 8) break;
  }
  if (std::ferror(f.get())) {
    *error = "cannot read \"" + path + "\"";
    return false;
  }
  if (!ParseWav(bytes, wav, error)) {
    *error = "\"" + path + "\": " + *error;
    return false;
  }
  return true;
}

bool WriteWavFile(const std::string& path, const Wav& wav, std::string* error) {
  std::vector<std::uint8_t> bytes;
  if (!FormatWav(wav, &bytes, error)) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = "cannot create \"" + path + "\"";
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) {
    std::remove(path.c_str());
    *error = "cannot write \"" + path + "\"";
    return false;
  }
  return true;
}

}  // namespace vst3host
