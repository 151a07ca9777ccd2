#include "iplug/aax/AAX_CChunkDataParser.h"

#include <cstring>

namespace {

constexpr uint32_t kDataHeader = 0x01010101u;
constexpr size_t kMaxKeyLength = 255;

size_t RoundUp4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

char TagOf(int32_t type) {
  switch (type) {
    case kChunkFloat: return 'f';
    case kChunkInt32: return 'l';
    case kChunkDouble: return 'd';
    case kChunkInt16: return 's';
    case kChunkString: return 'r';
    default: return '?';  // an unknown tag read earlier: written back as a key without value
  }
}

// Value bytes of an entry (the size formula gives unknown entries none).
size_t ValueBytes(const ChunkEntry& entry) {
  switch (entry.type) {
    case kChunkFloat:
    case kChunkInt32:
    case kChunkInt16: return 4;
    case kChunkDouble: return 8;
    case kChunkString: return RoundUp4(static_cast<size_t>(entry.text.Length()) + 1);
    default: return 0;
  }
}

size_t KeyBytes(const ChunkEntry& entry) { return RoundUp4(static_cast<size_t>(entry.name.Length()) + 3); }

void PutBig(unsigned char* at, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    at[i] = static_cast<unsigned char>(value & 0xFF);
    value >>= 8;
  }
}

uint64_t GetBig(const unsigned char* at, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | at[i];
  return value;
}

uint64_t DoubleBits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

double BitsDouble(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

// Length of the zero-terminated text at p within limit bytes; limit when no zero byte.
size_t BoundedLength(const unsigned char* p, size_t limit) {
  const void* zero = std::memchr(p, 0, limit);
  return zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - p) : limit;
}

}  // namespace

int32_t (*AAX_CChunkDataParser::sTrace)(int32_t priority, const char* format, ...) = nullptr;

void AAX_CChunkDataParser::AddDouble(const char* name, double value) {
  ChunkEntry entry;
  entry.type = kChunkDouble;
  entry.name.Set(name);
  entry.value = DoubleBits(value);
  mEntries.push_back(std::move(entry));
}

void AAX_CChunkDataParser::AddInt32(const char* name, int32_t value) {
  ChunkEntry entry;
  entry.type = kChunkInt32;
  entry.name.Set(name);
  entry.value = static_cast<uint32_t>(value);
  mEntries.push_back(std::move(entry));
}

void AAX_CChunkDataParser::AddString(const char* name, const AAX_CString& value) {
  ChunkEntry entry;
  entry.type = kChunkString;
  entry.name.Set(name);
  entry.text = value;
  mEntries.push_back(std::move(entry));
}

bool AAX_CChunkDataParser::FindDouble(const char* name, double* out) {
  const int32_t index = FindIndex(name);
  if (index < 0 || mEntries[index].type != kChunkDouble) return false;
  if (out) *out = BitsDouble(mEntries[index].value);
  return true;
}

bool AAX_CChunkDataParser::FindInt32(const char* name, int32_t* out) {
  const int32_t index = FindIndex(name);
  if (index < 0 || mEntries[index].type != kChunkInt32) return false;
  if (out) *out = static_cast<int32_t>(static_cast<uint32_t>(mEntries[index].value & 0xFFFFFFFFu));
  return true;
}

bool AAX_CChunkDataParser::FindString(const char* name, AAX_IString* out) {
  const int32_t index = FindIndex(name);
  if (index < 0 || mEntries[index].type != kChunkString) return false;
  if (out) out->Set(mEntries[index].text.Get());
  return true;
}

int32_t AAX_CChunkDataParser::FindIndex(const char* name) {
  const AAX_CString wanted(name);
  const int32_t count = static_cast<int32_t>(mEntries.size());
  if (mLastHit >= count - 1) mLastHit = -1;
  for (int32_t i = mLastHit + 1; i < count; ++i) {
    if (mEntries[i].name == wanted) return mLastHit = i;
  }
  for (int32_t i = 0; i <= mLastHit; ++i) {
    if (mEntries[i].name == wanted) return mLastHit = i;
  }
  return -1;
}

void AAX_CChunkDataParser::Clear() {
  mLastHit = -1;
  mChunkVersion = -1;
  mEntries.clear();
}

int32_t AAX_CChunkDataParser::GetChunkDataSize() const {
  size_t size = 4;
  for (const ChunkEntry& entry : mEntries) size += KeyBytes(entry) + ValueBytes(entry);
  return static_cast<int32_t>(size);
}

int32_t AAX_CChunkDataParser::GetChunkData(AAX_SPlugInChunk* chunk) const {
  const int32_t total = GetChunkDataSize();
  chunk->fSize = total;
  const size_t size = static_cast<size_t>(total);
  unsigned char* data = reinterpret_cast<unsigned char*>(chunk->fData);
  std::memset(data, 0, size);
  PutBig(data, kDataHeader, 4);
  size_t position = 4;
  for (const ChunkEntry& entry : mEntries) {
    if (position + KeyBytes(entry) + ValueBytes(entry) > size) {
      if (sTrace)
        sTrace(kTracePriority, "AAX_CChunkDataParser::GetChunkData ERROR: %s",
               "aborting: chunk data will overflow buffer");
      return kChunkOverflow;
    }
    data[position] = static_cast<unsigned char>(TagOf(entry.type));
    data[position + 1] = '_';
    std::memcpy(data + position + 2, entry.name.Get(), entry.name.Length());
    position += KeyBytes(entry);  // the zero byte and padding are already there
    switch (entry.type) {
      case kChunkFloat:
      case kChunkInt32: PutBig(data + position, entry.value & 0xFFFFFFFFu, 4); break;
      case kChunkInt16: PutBig(data + position, entry.value & 0xFFFFu, 2); break;
      case kChunkDouble: PutBig(data + position, entry.value, 8); break;
      case kChunkString: std::memcpy(data + position, entry.text.Get(), entry.text.Length()); break;
      default: break;
    }
    position += ValueBytes(entry);
  }
  return 0;
}

void AAX_CChunkDataParser::LoadChunk(const AAX_SPlugInChunk* chunk) {
  Clear();
  mChunkVersion = chunk->fVersion;
  if (chunk->fSize <= 4) return;
  const size_t size = static_cast<size_t>(chunk->fSize);
  const unsigned char* data = reinterpret_cast<const unsigned char*>(chunk->fData);
  if (GetBig(data, 4) != kDataHeader) return;

  size_t position = 4;
  while (position < size) {
    const size_t left = size - position;
    const unsigned char* key = data + position;
    const size_t keyLength = BoundedLength(key, left < kMaxKeyLength ? left : kMaxKeyLength);
    const size_t valuePosition = RoundUp4(position + keyLength + 1);
    ChunkEntry entry;
    size_t valueBytes = 0;
    const char tag = keyLength > 0 ? static_cast<char>(key[0]) : 0;
    switch (tag) {
      case 'd': entry.type = kChunkDouble; valueBytes = 8; break;
      case 'f': entry.type = kChunkFloat; valueBytes = 4; break;
      case 'l': entry.type = kChunkInt32; valueBytes = 4; break;
      case 's': entry.type = kChunkInt16; valueBytes = 4; break;
      case 'r': entry.type = kChunkString; break;
      default: entry.type = kChunkUnknown; break;
    }
    // A value that would pass the end of the data ends the parse; that entry is dropped.
    if (entry.type != kChunkUnknown && (valuePosition >= size || size - valuePosition < valueBytes))
      break;
    const unsigned char* value = data + valuePosition;
    size_t next = valuePosition + valueBytes;
    switch (entry.type) {
      case kChunkDouble: entry.value = GetBig(value, 8); break;
      case kChunkFloat:
      case kChunkInt32: entry.value = GetBig(value, 4); break;
      case kChunkInt16:
        entry.value = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(GetBig(value, 2))));
        break;
      case kChunkString: {
        const size_t textLength = BoundedLength(value, size - valuePosition);
        if (textLength == size - valuePosition) return;  // no zero byte inside the data
        entry.text.Set(reinterpret_cast<const char*>(value));
        next = RoundUp4(valuePosition + textLength + 1);
        break;
      }
      default: break;
    }
    // The name is the key from its third character on (empty for a key shorter than that).
    if (keyLength > 2) {
      const std::string name(reinterpret_cast<const char*>(key) + 2, keyLength - 2);
      entry.name.Set(name.c_str());
    }
    mEntries.push_back(std::move(entry));
    position = next;
  }
}
