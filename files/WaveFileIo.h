// File-system helpers of the wave document: temporary working files, whole-file copies and
// the all-or-nothing replacement of a user's file (temporary file beside it, flush, rename).
// POSIX descriptors throughout; nothing here shows a message except where stated.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>

namespace orvanix {

// `dir`, or the system's temporary folder ($TMPDIR, else /tmp) when `dir` is empty.
std::string TemporaryFolder(const std::string& dir);

// Creates a new file with a unique name "wav" + 6 characters in TemporaryFolder(dir), readable
// and writable by its owner only. Returns its descriptor and sets `path`; -1 on failure (then
// `path` names the folder).
int CreateTemporaryFile(const std::string& dir, std::string& path);

// Opens a regular file (never blocks on a FIFO, refuses folders and devices). -1 on failure.
int OpenRegularFile(const std::string& path, int flags);

// Copies `bytes` bytes from offset `from` of `src` to offset `to` of `dst`, through one buffer
// of at most 1 MiB. Shows kInsufficientMemory when that buffer cannot be had.
bool CopyRange(int src, uint64_t from, uint64_t bytes, int dst, uint64_t to);

// Permission bits of new user files: 0666 less the process umask.
mode_t DefaultFileMode();

// Flushes and closes; false when either fails (the descriptor is closed regardless).
bool SyncAndClose(int fd);
// Makes a rename within `path`'s folder durable.
void SyncFolderOf(const std::string& path);

enum class ReplaceResult { Ok, OpenFailed, WriteFailed };
// Replaces `target` all-or-nothing: `write` fills a new temporary file beside it (the real
// file when target is a symbolic link), which is flushed, given the old file's permissions
// (new files: DefaultFileMode()) and renamed over it. On any failure the temporary file is
// removed and the old target is untouched.
ReplaceResult ReplaceFile(const std::string& target, const std::function<bool(int fd)>& write);

}  // namespace orvanix
