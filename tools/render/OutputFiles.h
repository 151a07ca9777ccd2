#pragma once
// The renderer's output files come into being only when everything succeeded: each is written
// under a temporary name next to its final one and renamed at the end; on failure (or when the
// object goes away uncommitted) the temporary files are removed.

#include <string>
#include <vector>

namespace Render {

class OutputFiles {
 public:
  OutputFiles() = default;
  ~OutputFiles() { Discard(); }
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // Creates an empty temporary file for `path` and returns its open descriptor (the caller
  // owns it) and its name, or -1 with the reason in `error`.
  int Create(const std::string& path, std::string* temporary, std::string* error);
  // Renames every temporary file to its final name; false with the reason when one fails (the
  // ones not yet renamed are removed).
  bool Commit(std::string* error);
  void Discard();

 private:
  struct Entry {
    std::string path, temporary;
  };
  std::vector<Entry> mEntries;
};

// True when both paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b);
// True when both paths lead to the same place, whether a file is there yet or not.
bool SameDestination(const std::string& a, const std::string& b);

}  // namespace Render
