#include "iplug/core/IPlugUtilities.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#ifdef _WIN32
#include <windows.h>
#endif

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define PLUG_HAVE_SSE2 1
#endif

// ---------------------------------------------------------------------------------------------
// HeapBuffer

namespace {
constexpr int kPageSize = 4096;
constexpr int kPageSlack = 96;
constexpr int kMaxGrowthStep = 4194304;
}  // namespace

HeapBuffer::~HeapBuffer() { std::free(mData); }

long long HeapBuffer::CapacityFor(int newSize, int granularity) {
  if (newSize <= 0) return 0;
  long long step = std::max<long long>(newSize / 2, granularity);
  long long capacity;
  if (granularity >= kPageSize) {
    step &= ~static_cast<long long>(kPageSize - 1);
    step = std::min<long long>(std::max<long long>(step, kPageSize), kMaxGrowthStep);
    capacity = ((newSize + static_cast<long long>(kPageSlack) + step) & ~static_cast<long long>(kPageSize - 1)) - kPageSlack;
  } else {
    capacity = newSize + step;
  }
  return capacity > INT_MAX ? -1 : capacity;
}

void* HeapBuffer::Resize(int newSize, bool allowShrink) {
  if (newSize < 0) newSize = 0;
  if (newSize == mUsed) return mUsed ? mData : nullptr;

  long long threshold = 0;
  if (allowShrink && newSize < mUsed) {
    threshold = std::max<long long>(
        1, std::min<long long>(mAllocated / 2, mAllocated - 4LL * mGranularity));
  }
  if (newSize > mAllocated || newSize < threshold) {
    const long long capacity = CapacityFor(newSize, mGranularity);
    if (capacity < 0) return mUsed ? mData : nullptr;  // does not fit: nothing changes
    if (capacity != mAllocated) {
      if (capacity == 0) {
        std::free(mData);
        mData = nullptr;
        mAllocated = 0;
        mUsed = 0;
        return nullptr;
      }
      void* block = std::realloc(mData, static_cast<size_t>(capacity));
      if (!block) {
        block = std::malloc(static_cast<size_t>(capacity));
        if (!block) return mUsed ? mData : nullptr;
        if (mData) std::memcpy(block, mData, static_cast<size_t>(std::min(newSize, mUsed)));
        std::free(mData);
      }
      mData = block;
      mAllocated = static_cast<int>(capacity);
    }
  }
  mUsed = newSize;
  return mUsed ? mData : nullptr;
}

// ---------------------------------------------------------------------------------------------
// PlugString

void PlugString::Assign(const char* text, int maxLength) {
  if (!text) {
    Release();
    return;
  }
  size_t length = std::strlen(text);
  if (maxLength > 0 && length > static_cast<size_t>(maxLength)) length = static_cast<size_t>(maxLength);
  if (length > static_cast<size_t>(INT_MAX - 1)) return;
  WriteAt(0, text, static_cast<int>(length));
}

void PlugString::WriteAt(int position, const char* text, int length) {
  if (length == 0) {
    if (position == 0) {
      mBuffer.Resize(1, false);
      if (mBuffer.GetSize() == 1) static_cast<char*>(mBuffer.Get())[0] = 0;
    }
    return;
  }
  if (length < 0 || position < 0 || !text) return;
  const long long needed = static_cast<long long>(position) + length + 1;
  if (needed > INT_MAX) return;

  const int used = mBuffer.GetSize();
  if (used < needed) {
    // A text taken from this string's own buffer moves with it.
    const char* old = static_cast<const char*>(mBuffer.Get());
    const bool inside = old && std::greater_equal<const char*>()(text, old) &&
                        std::less<const char*>()(text, old + mBuffer.GetAllocated());
    const ptrdiff_t offset = inside ? text - old : 0;
    mBuffer.Resize(static_cast<int>(needed), false);
    if (mBuffer.GetSize() != needed) return;
    if (inside) text = static_cast<const char*>(mBuffer.Get()) + offset;
  }
  char* buffer = static_cast<char*>(mBuffer.Get());
  std::memmove(buffer + position, text, static_cast<size_t>(length));
  buffer[position + length] = 0;
  if (needed < used) mBuffer.Resize(static_cast<int>(needed), false);
}

void PlugString::Format(int maxLength, const char* format, ...) {
  if (maxLength < 0) maxLength = 0;
  if (maxLength == INT_MAX) --maxLength;
  mBuffer.Resize(maxLength + 1, false);
  if (mBuffer.GetSize() != maxLength + 1) return;
  char* buffer = static_cast<char*>(mBuffer.Get());
  va_list args;
  va_start(args, format);
  const int written = format ? std::vsnprintf(buffer, static_cast<size_t>(maxLength) + 1, format, args) : -1;
  va_end(args);
  if (written < 0) buffer[0] = 0;
  else if (written >= maxLength) buffer[maxLength] = 0;
  mBuffer.Resize(static_cast<int>(std::strlen(buffer)) + 1, false);
}

bool PlugString::RemoveFileExtension() {
  char* buffer = static_cast<char*>(mBuffer.Get());
  if (!buffer || mBuffer.GetSize() == 0) return false;
  for (int i = static_cast<int>(std::strlen(buffer)) - 1; i >= 0; --i) {
    const char c = buffer[i];
    if (c == '/' || c == '\\') return false;
    if (c == '.') {
      buffer[i] = 0;
      mBuffer.Resize(i + 1, false);
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// ByteBlock

int ByteBlock::Put(const void* bytes, int n) {
  const int size = Size();
  if (n < 0 || (n > 0 && !bytes) || static_cast<long long>(size) + n > INT_MAX) return size;
  if (n == 0) return size;
  mBuffer.Resize(size + n, false);
  if (Size() != size + n) return size;
  std::memcpy(GetBytes() + size, bytes, static_cast<size_t>(n));
  return size + n;
}

int ByteBlock::Get(void* out, int n, int position) const {
  if (n < 0 || position < 0 || static_cast<long long>(position) + n > Size()) return -1;
  if (n > 0) std::memcpy(out, GetBytes() + position, static_cast<size_t>(n));
  return position + n;
}

bool ByteBlock::Resize(int newSize) {
  if (newSize < 0) return false;
  const int size = Size();
  mBuffer.Resize(newSize, true);
  if (Size() != newSize) return false;
  if (newSize > size) std::memset(GetBytes() + size, 0, static_cast<size_t>(newSize - size));
  return true;
}

// ---------------------------------------------------------------------------------------------
// Sample conversion

namespace {
bool Overlap(const void* a, size_t aBytes, const void* b, size_t bBytes) {
  const uintptr_t pa = reinterpret_cast<uintptr_t>(a);
  const uintptr_t pb = reinterpret_cast<uintptr_t>(b);
  return pa < pb + bBytes && pb < pa + aBytes;
}
}  // namespace

void ConvertDoublesToFloats(float* out, const double* in, int count) {
  if (count <= 0 || !out || !in) return;
  int i = 0;
  if (!Overlap(out, sizeof(float) * static_cast<size_t>(count), in, sizeof(double) * static_cast<size_t>(count))) {
#ifdef PLUG_HAVE_SSE2
    for (; i + 8 <= count; i += 8) {
      const __m128 a = _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(in + i)), _mm_cvtpd_ps(_mm_loadu_pd(in + i + 2)));
      const __m128 b = _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(in + i + 4)), _mm_cvtpd_ps(_mm_loadu_pd(in + i + 6)));
      _mm_storeu_ps(out + i, a);
      _mm_storeu_ps(out + i + 4, b);
    }
    for (; i + 4 <= count; i += 4) {
      _mm_storeu_ps(out + i, _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(in + i)), _mm_cvtpd_ps(_mm_loadu_pd(in + i + 2))));
    }
#else
    for (; i + 8 <= count; i += 8) {
      for (int k = 0; k < 8; ++k) out[i + k] = static_cast<float>(in[i + k]);
    }
    for (; i + 4 <= count; i += 4) {
      for (int k = 0; k < 4; ++k) out[i + k] = static_cast<float>(in[i + k]);
    }
#endif
  }
  for (; i < count; ++i) out[i] = static_cast<float>(in[i]);
}

void ConvertFloatsToDoubles(double* out, const float* in, int count) {
  if (count <= 0 || !out || !in) return;
  int i = 0;
  if (!Overlap(out, sizeof(double) * static_cast<size_t>(count), in, sizeof(float) * static_cast<size_t>(count))) {
#ifdef PLUG_HAVE_SSE2
    for (; i + 4 <= count; i += 4) {
      const __m128 v = _mm_loadu_ps(in + i);
      _mm_storeu_pd(out + i, _mm_cvtps_pd(v));
      _mm_storeu_pd(out + i + 2, _mm_cvtps_pd(_mm_movehl_ps(v, v)));
    }
#else
    for (; i + 4 <= count; i += 4) {
      for (int k = 0; k < 4; ++k) out[i + k] = in[i + k];
    }
#endif
  }
  for (; i < count; ++i) out[i] = in[i];
}

// ---------------------------------------------------------------------------------------------
// Console and assertions

namespace {
std::atomic<PlugConsoleSink> gConsoleSink{nullptr};
std::atomic<PlugAssertHandler> gAssertHandler{nullptr};
}  // namespace

void SetPlugConsoleSink(PlugConsoleSink sink) { gConsoleSink.store(sink); }

namespace {

constexpr size_t kConsoleTextSize = 256;  // longer texts are cut, as the formatted ones always were

// A Windows host without a console has no standard output: the text would go nowhere, and
// handing it to the C library would still take the stream's lock on the audio thread.
bool StandardOutputPresent() {
#ifdef _WIN32
  const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
#else
  return true;
#endif
}

// Appends part at *length, keeping room for the terminator (which the caller writes).
void AppendConsoleText(char* text, size_t* length, const char* part, size_t partLength) {
  const size_t n = std::min(partLength, kConsoleTextSize - 1 - *length);
  std::memcpy(text + *length, part, n);
  *length += n;
}

// The sink, or standard output, gets text of a known length.
void WriteConsoleText(const char* text, size_t length) {
  if (PlugConsoleSink sink = gConsoleSink.load()) {
    sink(text);
  } else if (StandardOutputPresent()) {
    std::fwrite(text, 1, length, stdout);
  }
}

}  // namespace

void PlugConsolePrint(const char* format, ...) {
  char text[kConsoleTextSize];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (written < 0) return;
  PlugConsoleWrite(text);
}

void PlugConsoleWrite(const char* text) {
  if (!text) return;
  const size_t length = std::strlen(text);
  if (length < kConsoleTextSize) {
    WriteConsoleText(text, length);
    return;
  }
  char cut[kConsoleTextSize];
  size_t kept = 0;
  AppendConsoleText(cut, &kept, text, length);
  cut[kept] = 0;
  WriteConsoleText(cut, kept);
}

void PlugConsoleWriteNumber(const char* before, int number, const char* after) {
  // Digits from the unsigned magnitude, written backwards from the end, so that INT_MIN has
  // them too.
  char numberText[12];
  size_t start = sizeof(numberText);
  unsigned magnitude = number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
  do {
    numberText[--start] = static_cast<char>('0' + magnitude % 10u);
    magnitude /= 10u;
  } while (magnitude);
  if (number < 0) numberText[--start] = '-';

  char text[kConsoleTextSize];
  size_t length = 0;
  if (before) AppendConsoleText(text, &length, before, std::strlen(before));
  AppendConsoleText(text, &length, numberText + start, sizeof(numberText) - start);
  if (after) AppendConsoleText(text, &length, after, std::strlen(after));
  text[length] = 0;
  WriteConsoleText(text, length);
}

void SetPlugAssertHandler(PlugAssertHandler handler) { gAssertHandler.store(handler); }

void PlugAssertFailed(const char* expression, const char* source, int line) {
  if (PlugAssertHandler handler = gAssertHandler.load()) {
    handler(expression, source, line);
  } else {
    std::fprintf(stderr, "assertion failed: %s (%s, line %d)\n", expression, source, line);
  }
}

// ---------------------------------------------------------------------------------------------
// Text helpers

void CopyTextField(char* field, int size, const char* text) {
  if (!field || size <= 0) return;
  if (!text) text = "";
  size_t n = 0;
  while (n + 1 < static_cast<size_t>(size) && text[n]) ++n;
  std::memmove(field, text, n);
  field[n] = 0;
}

int ClampToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT_MAX;
  if (value <= -2147483648.0) return INT_MIN;
  return static_cast<int>(value);
}
