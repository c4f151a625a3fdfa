#include "files/WaveFileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "engine/Messages.h"
#include "files/Riff.h"

namespace orvanix {

namespace {

constexpr size_t kCopyBufferBytes = size_t{1} << 20;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// mkostemp wants a writable template ending in "XXXXXX".
int MakeUnique(std::string& path) {
  std::vector<char> name(path.begin(), path.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) path.assign(name.data());
  return fd;
}

}  // namespace

std::string TemporaryFolder(const std::string& dir) {
  if (!dir.empty()) return dir;
  const char* env = std::getenv("TMPDIR");
  if (env && *env) return env;
  return "/tmp";
}

int CreateTemporaryFile(const std::string& dir, std::string& path) {
  const std::string folder = TemporaryFolder(dir);
  std::string name = folder + (folder.back() == '/' ? "" : "/") + "wavXXXXXX";
  const int fd = MakeUnique(name);
  path = fd >= 0 ? name : folder;
  return fd;
}

int OpenRegularFile(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return -1;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  return fd;
}

bool CopyRange(int src, uint64_t from, uint64_t bytes, int dst, uint64_t to) {
  if (bytes == 0) return true;
  const size_t size = bytes < kCopyBufferBytes ? static_cast<size_t>(bytes) : kCopyBufferBytes;
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]);
  if (!buffer) {
    ReportError(kInsufficientMemory);
    return false;
  }
  for (uint64_t done = 0; done < bytes;) {
    const uint64_t left = bytes - done;
    const size_t n = left < size ? static_cast<size_t>(left) : size;
    if (!ReadAt(src, from + done, buffer.get(), n)) return false;
    if (!WriteAt(dst, to + done, buffer.get(), n)) return false;
    done += n;
  }
  return true;
}

mode_t DefaultFileMode() {
  // Reading the umask through umask() would change it for a moment under other threads.
  mode_t mask = 022;
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
      unsigned value = 0;
      if (std::sscanf(line, "Umask: %o", &value) == 1) {
        mask = static_cast<mode_t>(value & 0777);
        break;
      }
    }
    std::fclose(status);
  }
  return static_cast<mode_t>(0666 & ~mask);
}

bool SyncAndClose(int fd) {
  const bool synced = ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  return synced && closed;
}

void SyncFolderOf(const std::string& path) {
  const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

ReplaceResult ReplaceFile(const std::string& target, const std::function<bool(int fd)>& write) {
  std::string real = target;
  if (char* resolved = ::realpath(target.c_str(), nullptr)) {
    real = resolved;
    std::free(resolved);
  }
  std::string temp = real + ".XXXXXX";
  const int fd = MakeUnique(temp);
  if (fd < 0) return ReplaceResult::OpenFailed;
  struct stat old;
  const mode_t mode = ::stat(real.c_str(), &old) == 0 ? (old.st_mode & 07777) : DefaultFileMode();
  ::fchmod(fd, mode);
  if (!write(fd)) {
    ::close(fd);
    ::unlink(temp.c_str());
    return ReplaceResult::WriteFailed;
  }
  if (!SyncAndClose(fd) || ::rename(temp.c_str(), real.c_str()) != 0) {
    ::unlink(temp.c_str());
    return ReplaceResult::WriteFailed;
  }
  SyncFolderOf(real);
  return ReplaceResult::Ok;
}

}  // namespace orvanix
