#pragma once
// The tagged-value chunk format: an ordered list of named values written as big-endian records
// behind the four bytes 01 01 01 01, and read back from a host chunk record.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "iplug/aax/AAX_CString.h"

// The host's chunk record. This class touches only fSize, fVersion and fData; the rest is
// filled by the callers.
struct AAX_SPlugInChunk {
  int32_t fSize;     // bytes of data
  int32_t fVersion;
  int32_t fManufacturerID;
  int32_t fProductID;
  int32_t fPlugInID;
  int32_t fChunkID;
  char fName[32];
  char fData[1];  // fSize bytes in a real record
};
static_assert(offsetof(AAX_SPlugInChunk, fVersion) == 4, "chunk record layout");
static_assert(offsetof(AAX_SPlugInChunk, fChunkID) == 20, "chunk record layout");
static_assert(offsetof(AAX_SPlugInChunk, fName) == 24, "chunk record layout");
static_assert(offsetof(AAX_SPlugInChunk, fData) == 56, "chunk record layout");
constexpr size_t kAAXChunkHeaderSize = offsetof(AAX_SPlugInChunk, fData);

enum ChunkValueType : int32_t {
  kChunkUnknown = 0,  // tag not recognised when reading
  kChunkFloat = 1,    // "f_", 4 bytes
  kChunkInt32 = 2,    // "l_", 4 bytes
  kChunkDouble = 3,   // "d_", 8 bytes
  kChunkInt16 = 4,    // "s_", 2 bytes then 2 zero bytes
  kChunkString = 5,   // "r_", text, zero byte, padding to a multiple of 4
};

struct ChunkEntry {
  int32_t type = kChunkUnknown;
  AAX_CString name;
  uint64_t value = 0;  // a double's bits, or an integer in the low 32 bits
  AAX_CString text;    // the value of a string entry
};

class AAX_CChunkDataParser {
 public:
  static constexpr int32_t kChunkOverflow = -333;
  static constexpr int32_t kTracePriority = 0x08000000;
  // Where GetChunkData reports a failure (printf-style); null reports nothing. The host
  // interface layer points it at its trace.
  static int32_t (*sTrace)(int32_t priority, const char* format, ...);

  void AddDouble(const char* name, double value);
  void AddInt32(const char* name, int32_t value);
  void AddString(const char* name, const AAX_CString& value);

  // True and the value written when the name is found with the matching type; else false
  // and the out value untouched.
  bool FindDouble(const char* name, double* out);
  bool FindInt32(const char* name, int32_t* out);
  bool FindString(const char* name, AAX_IString* out);
  // Searches after the last hit first, then from the start; -1 when absent.
  int32_t FindIndex(const char* name);

  void Clear();
  int32_t GetChunkDataSize() const;
  // Sets the record's size and writes the data; the record must hold GetChunkDataSize()
  // bytes of data. 0, or kChunkOverflow.
  int32_t GetChunkData(AAX_SPlugInChunk* chunk) const;
  // Replaces the entries with those of the record; a malformed record leaves only the entries
  // read before the fault, and nothing beyond fSize bytes of data is read.
  void LoadChunk(const AAX_SPlugInChunk* chunk);

  int32_t GetChunkVersion() const { return mChunkVersion; }
  int32_t GetLastHitIndex() const { return mLastHit; }
  const std::vector<ChunkEntry>& Entries() const { return mEntries; }

 private:
  int32_t mLastHit = -1;
  int32_t mChunkVersion = -1;
  std::vector<ChunkEntry> mEntries;
};
