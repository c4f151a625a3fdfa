#include "files/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "files/Riff.h"
#include "files/WaveFileIo.h"

namespace orvanix {

TReplacingFile::~TReplacingFile() {
  Abandon();
}

bool TReplacingFile::Open(const std::string& target) {
  Abandon();
  real_ = target;
  if (char* resolved = ::realpath(target.c_str(), nullptr)) {
    real_ = resolved;
    std::free(resolved);
  }
  std::vector<char> name(real_.begin(), real_.end());
  const std::string suffix = ".XXXXXX";
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temp_.assign(name.data());
  struct stat old;
  ::fchmod(fd_, ::stat(real_.c_str(), &old) == 0 ? (old.st_mode & 07777) : DefaultFileMode());
  size_ = 0;
  return true;
}

bool TReplacingFile::Append(const void* data, size_t bytes) {
  if (fd_ < 0) {
    errno = EBADF;
    return false;
  }
  if (!WriteAt(fd_, size_, data, bytes)) return false;
  size_ += bytes;
  return true;
}

bool TReplacingFile::Commit() {
  if (fd_ < 0) return false;
  const bool closed = SyncAndClose(fd_);
  fd_ = -1;
  if (!closed || ::rename(temp_.c_str(), real_.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp_.c_str());
    temp_.clear();
    errno = error;
    return false;
  }
  temp_.clear();
  SyncFolderOf(real_);
  return true;
}

void TReplacingFile::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

}  // namespace orvanix
