#pragma once
// Small building blocks of the framework: a growable heap block with its own growth rule,
// the text, pointer-list and byte-chunk types built on it, the sample converters, and the
// console and assertion hooks. None of these types takes a lock.

#include <cstddef>
#include <cstdint>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// HeapBuffer: a growable heap block. At a granularity of 4096 or more the capacity is kept at
// 4096-byte pages less 96 bytes of slack, and each growth step lies between 4 KB and 4 MB.

class HeapBuffer {
 public:
  explicit HeapBuffer(int granularity = 4096) : mGranularity(granularity > 0 ? granularity : 1) {}
  ~HeapBuffer();
  HeapBuffer(const HeapBuffer&) = delete;
  HeapBuffer& operator=(const HeapBuffer&) = delete;

  // Sets the used size to newSize (a negative size counts as 0) and returns the data pointer,
  // null when the size is 0. When memory cannot be had nothing changes and the old data is
  // returned: callers compare GetSize() with what they asked for.
  void* Resize(int newSize, bool allowShrink = true);

  void* Get() const { return mData; }
  int GetSize() const { return mUsed; }
  int GetAllocated() const { return mAllocated; }
  int GetGranularity() const { return mGranularity; }

  // The capacity the growth rule gives for a request of newSize bytes; -1 when it would not
  // fit a 32-bit size.
  static long long CapacityFor(int newSize, int granularity);

 private:
  void* mData = nullptr;
  int mAllocated = 0;
  int mUsed = 0;
  int mGranularity;
};

// ---------------------------------------------------------------------------------------------
// PlugString: zero-terminated text on a HeapBuffer of granularity 128. An empty string may have
// no buffer at all and then reads as "".

class PlugString {
 public:
  PlugString() = default;
  explicit PlugString(const char* text, int maxLength = 0) { Assign(text, maxLength); }
  ~PlugString() { Release(); }
  PlugString(const PlugString&) = delete;
  PlugString& operator=(const PlugString&) = delete;

  // The text up to its zero or maxLength characters (all of it when maxLength <= 0); a null
  // text empties the string.
  void Assign(const char* text, int maxLength = 0);
  // Writes length bytes of text at position, followed by a zero; the bytes before position
  // stay. A negative length or position, or a size that does not fit, does nothing.
  void WriteAt(int position, const char* text, int length);
  // printf-style text cut to maxLength characters.
  void Format(int maxLength, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  void Release() { mBuffer.Resize(0, true); }
  // Cuts the string before its last "." when no "/" or "\\" follows that dot.
  bool RemoveFileExtension();

  const char* Get() const {
    const char* p = static_cast<const char*>(mBuffer.Get());
    return p && mBuffer.GetSize() > 0 ? p : "";
  }
  int GetLength() const { return static_cast<int>(std::strlen(Get())); }

 private:
  HeapBuffer mBuffer{128};
};

// ---------------------------------------------------------------------------------------------
// PointerList: an ordered list of owned object pointers on a HeapBuffer. Deleting an entry
// deletes its object.

template <class T>
class PointerList {
 public:
  explicit PointerList(int granularity = 4096) : mBuffer(granularity) {}
  ~PointerList() { DeleteAll(); }
  PointerList(const PointerList&) = delete;
  PointerList& operator=(const PointerList&) = delete;

  int GetSize() const { return mBuffer.GetSize() / static_cast<int>(sizeof(T*)); }
  T* Get(int index) const {
    return index >= 0 && index < GetSize() ? Entries()[index] : nullptr;
  }
  // Appends the pointer; returns it, or null when the list could not grow (the object then
  // stays with the caller).
  T* Add(T* item) { return Insert(item, GetSize()); }
  // Stores the pointer at the smaller of index and the old count (0 for a negative index),
  // shifting later entries up.
  T* Insert(T* item, int index) {
    const int n = GetSize();
    const long long bytes = static_cast<long long>(n + 1) * sizeof(T*);
    if (bytes > 0x7FFFFFFF) return nullptr;
    mBuffer.Resize(static_cast<int>(bytes), false);
    if (GetSize() != n + 1) return nullptr;
    if (index < 0) index = 0;
    if (index > n) index = n;
    T** e = Entries();
    std::memmove(e + index + 1, e + index, sizeof(T*) * static_cast<size_t>(n - index));
    e[index] = item;
    return item;
  }
  // Removes the entry at index (ignored outside the list), deleting its object.
  void DeleteAt(int index) {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T** e = Entries();
    T* item = e[index];
    std::memmove(e + index, e + index + 1, sizeof(T*) * static_cast<size_t>(n - index - 1));
    mBuffer.Resize((n - 1) * static_cast<int>(sizeof(T*)), false);
    delete item;
  }
  // Deletes every object from the last to the first, then frees the list storage.
  void DeleteAll() {
    for (int i = GetSize() - 1; i >= 0; --i) {
      T* item = Entries()[i];
      mBuffer.Resize(i * static_cast<int>(sizeof(T*)), false);
      delete item;
    }
    mBuffer.Resize(0, true);
  }
  // The names used for lists of PlugString.
  void DeleteAllStrings() { DeleteAll(); }
  void DeleteStringAt(int index) { DeleteAt(index); }

 private:
  T** Entries() const { return static_cast<T**>(mBuffer.Get()); }
  HeapBuffer mBuffer;
};

// ---------------------------------------------------------------------------------------------
// ByteBlock: a growable byte chunk (granularity 4096) for state. Values are appended and read
// back in the machine's native byte order.

class ByteBlock {
 public:
  ByteBlock() = default;
  ByteBlock(const ByteBlock&) = delete;
  ByteBlock& operator=(const ByteBlock&) = delete;

  // Appends n bytes; returns the new size. A negative n, a size that would pass 2 GB, or an
  // allocation failure appends nothing and returns the unchanged size.
  int Put(const void* bytes, int n);
  template <class T>
  int Put(const T* value) { return Put(static_cast<const void*>(value), static_cast<int>(sizeof(T))); }

  // Copies n bytes from position and returns position + n; returns -1 and leaves out
  // unchanged when position or n is negative or fewer than n bytes remain.
  int Get(void* out, int n, int position) const;
  template <class T>
  int Get(T* value, int position) const { return Get(static_cast<void*>(value), static_cast<int>(sizeof(T)), position); }

  // Sets the size, zeroing new bytes; false (nothing changed) for a negative size or when
  // memory cannot be had.
  bool Resize(int newSize);
  void Clear() { mBuffer.Resize(0, true); }

  int Size() const { return mBuffer.GetSize(); }
  uint8_t* GetBytes() const { return static_cast<uint8_t*>(mBuffer.Get()); }

 private:
  HeapBuffer mBuffer{4096};
};

// ---------------------------------------------------------------------------------------------
// Sample conversion, in groups of eight, then four, then single samples when the buffers do not
// overlap; the result equals converting each sample in order. count <= 0 does nothing.

void ConvertDoublesToFloats(float* out, const double* in, int count);
void ConvertFloatsToDoubles(double* out, const float* in, int count);

// ---------------------------------------------------------------------------------------------
// Console and assertion reporting. Console text goes to the process's standard output unless a
// sink is installed (tests capture it that way). Assertions of the framework report the
// expression, the source and the line, and execution goes on.

using PlugConsoleSink = void (*)(const char* text);
using PlugAssertHandler = void (*)(const char* expression, const char* source, int line);

void SetPlugConsoleSink(PlugConsoleSink sink);  // null restores standard output
void PlugConsolePrint(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// The same console text without formatting work, for the audio thread's reports: fixed text, and
// fixed text around one decimal number ("attaching channel " 3 " ..."), cut at 255 characters
// like formatted text. A Windows process without standard output and without a sink skips it.
void PlugConsoleWrite(const char* text);
void PlugConsoleWriteNumber(const char* before, int number, const char* after);

void SetPlugAssertHandler(PlugAssertHandler handler);  // null restores the default (stderr)
void PlugAssertFailed(const char* expression, const char* source, int line);

#define PLUG_ASSERT(expr, source, line) \
  do {                                  \
    if (!(expr)) PlugAssertFailed(#expr, source, line); \
  } while (0)

// ---------------------------------------------------------------------------------------------
// Bounded text helpers.

// Copies text into a fixed field of size bytes (size - 1 characters at most), always
// terminated; a null text gives "".
void CopyTextField(char* field, int size, const char* text);

// A double turned into an int: truncated toward zero, clamped into the int range, NaN as 0.
int ClampToInt(double value);
