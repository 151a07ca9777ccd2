#include "tools/render/OutputFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace Render {

int OutputFiles::Create(const std::string& path, std::string* temporary, std::string* error) {
  std::string name = path + ".partial-XXXXXX";
  const int fd = mkstemp(&name[0]);
  if (fd < 0) {
    *error = "cannot write \"" + path + "\": " + std::strerror(errno);
    return -1;
  }
  // The permissions a newly created file would get.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  mEntries.push_back({path, name});
  *temporary = name;
  return fd;
}

bool OutputFiles::Commit(std::string* error) {
  bool ok = true;
  for (const Entry& e : mEntries) {
    if (ok && std::rename(e.temporary.c_str(), e.path.c_str()) != 0) {
      *error = "cannot write \"" + e.path + "\": " + std::strerror(errno);
      ok = false;
    }
    if (!ok) std::remove(e.temporary.c_str());
  }
  mEntries.clear();
  return ok;
}

void OutputFiles::Discard() {
  for (const Entry& e : mEntries) std::remove(e.temporary.c_str());
  mEntries.clear();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool SameDestination(const std::string& a, const std::string& b) {
  if (SameFile(a, b)) return true;
  std::error_code ea, eb;
  const std::filesystem::path pa = std::filesystem::weakly_canonical(a, ea), pb = std::filesystem::weakly_canonical(b, eb);
  return ea || eb ? a == b : pa == pb;
}

}  // namespace Render
