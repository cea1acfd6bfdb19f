// The file system calls that the engine makes beyond opening, reading and
// writing a file: what kind of file a name leads to, which file it is, moving
// a finished file into place, the exclusive lock of a file being written, and
// the file size signal. Kept together, one small function each, so that the
// engine never calls the operating system for these anywhere else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sifta {

enum class FileKind {
  Missing,  // nothing of that name (or it cannot be looked at)
  Regular,
  Folder,
  Other,  // a pipe, a device, a socket: nothing that reads like a file
};

// Follows symbolic links.
FileKind KindOfPath(const std::string& path);
FileKind KindOfOpenFile(int fd);

// A file on disk, the same whatever name leads to it (hard and symbolic links).
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileId&) const = default;
};
std::optional<FileId> IdOfPath(const std::string& path);  // follows symbolic links
std::optional<FileId> IdOfOpenFile(int fd);

// Moves the file `from` to the name `to` in one step, replacing a file of
// that name; both are in the same folder. 0, or the errno value.
int ReplaceFile(const std::string& from, const std::string& to);

// Takes the exclusive lock of the open file `fd` without waiting. 0 when it
// is held, kLockHeldElsewhere when another open of the file holds it (in this
// process or another), else the errno value (the file system has no locks).
// The lock ends when `fd` is closed.
constexpr int kLockHeldElsewhere = -1;
int TryLockExclusive(int fd);

// Gives the open file `fd` the permission bits of the file `like`, when there
// is one (a replaced file keeps its permissions).
void CopyPermissions(int fd, const std::string& like);

// A write beyond the file size limit (ulimit -f) fails with EFBIG, taking
// the ordinary path of a write error, instead of ending the program.
void IgnoreFileSizeSignal();
// A write into a pipe without reader fails with EPIPE instead of ending the
// program.
void IgnoreBrokenPipeSignal();

}  // namespace sifta
