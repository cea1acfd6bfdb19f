#include "inspect/FileSystemCalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace sifta {

namespace {

FileKind KindOf(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return FileKind::Regular;
  if (S_ISDIR(info.st_mode)) return FileKind::Folder;
  return FileKind::Other;
}

FileId IdOf(const struct stat& info) {
  return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

FileKind KindOfPath(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return FileKind::Missing;
  return KindOf(info);
}

FileKind KindOfOpenFile(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return FileKind::Missing;
  return KindOf(info);
}

std::optional<FileId> IdOfPath(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return IdOf(info);
}

std::optional<FileId> IdOfOpenFile(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return std::nullopt;
  return IdOf(info);
}

int ReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int TryLockExclusive(int fd) {
  int result;
  do result = ::flock(fd, LOCK_EX | LOCK_NB);
  while (result != 0 && errno == EINTR);
  if (result == 0) return 0;
  return errno == EWOULDBLOCK ? kLockHeldElsewhere : errno;
}

void CopyPermissions(int fd, const std::string& like) {
  struct stat info;
  if (::stat(like.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::fchmod(fd, info.st_mode & 07777);
}

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

void IgnoreBrokenPipeSignal() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace sifta
