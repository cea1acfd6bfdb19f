#include "platform/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace sifta::platform {

SystemError ErrorFromErrno(int code) {
  ErrorKind kind = ErrorKind::Other;
  switch (code) {
    case ENOENT:
      kind = ErrorKind::NotFound;
      break;
    case ENOTDIR:
      kind = ErrorKind::PathNotFound;
      break;
    case EACCES:
    case EPERM:
      kind = ErrorKind::AccessDenied;
      break;
    case EISDIR:
      kind = ErrorKind::IsFolder;
      break;
    case ENOSPC:
    case EDQUOT:
      kind = ErrorKind::DiskFull;
      break;
    case EROFS:
      kind = ErrorKind::ReadOnly;
      break;
    case EIO:
      kind = ErrorKind::Io;
      break;
    case EFBIG:
      kind = ErrorKind::TooLarge;
      break;
    case ENAMETOOLONG:
      kind = ErrorKind::BadName;
      break;
    case EEXIST:
      kind = ErrorKind::Exists;
      break;
    default:
      break;
  }
  return SystemError{kind, code};
}

namespace {

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

FileKind KindOfStat(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return FileKind::Regular;
  if (S_ISDIR(info.st_mode)) return FileKind::Folder;
  return FileKind::Other;
}

FileIdentity IdentityOfStat(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

std::string SystemErrorText(const SystemError& error) { return std::strerror(error.code); }

std::optional<SystemError> File::SystemOpen(const std::filesystem::path& path, Access access) {
  Close();
  int flags = O_CLOEXEC;
  switch (access) {
    case Access::Read:
      flags |= O_RDONLY;
      break;
    case Access::Create:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case Access::Append:
      flags |= O_WRONLY | O_CREAT | O_APPEND;
      break;
    case Access::Update:
      flags |= O_RDWR | O_CREAT | O_NOFOLLOW;
      break;
    case Access::CreateNew:
      flags |= O_RDWR | O_CREAT | O_EXCL;
      break;
  }
  // A pipe is opened without waiting for its writer, and then refused.
  if (access == Access::Read) flags |= O_NONBLOCK;
  int fd;
  do fd = ::open(path.c_str(), flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    // With O_CREAT, ENOENT means that a folder of the path is missing.
    if (access != Access::Read && errno == ENOENT) return ErrorFromErrno(ENOTDIR);
    if (access == Access::CreateNew && errno == EEXIST) return ErrorFromErrno(EEXIST);
    if (access == Access::Read && errno == ENXIO) return SystemError{ErrorKind::NotAFile, ENXIO};
    return ErrorFromErrno(errno);
  }
  if (access == Access::Read) {
    struct stat info;
    const bool known = ::fstat(fd, &info) == 0;
    if (known && S_ISDIR(info.st_mode)) {
      ::close(fd);
      return ErrorFromErrno(EISDIR);
    }
    if (known && !S_ISREG(info.st_mode)) {
      ::close(fd);
      return SystemError{ErrorKind::NotAFile, 0};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  handle_ = fd;
  return std::nullopt;
}

File::ReadResult File::SystemRead(void* into, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(Descriptor(handle_), into, size);
    if (n >= 0) return ReadResult{static_cast<std::size_t>(n), std::nullopt};
    if (errno != EINTR) return ReadResult{0, ErrorFromErrno(errno)};
  }
}

File::ReadResult File::SystemReadAt(void* into, std::size_t size, std::int64_t offset) const {
  for (;;) {
    const ssize_t n = ::pread(Descriptor(handle_), into, size, static_cast<off_t>(offset));
    if (n >= 0) return ReadResult{static_cast<std::size_t>(n), std::nullopt};
    if (errno != EINTR) return ReadResult{0, ErrorFromErrno(errno)};
  }
}

std::optional<SystemError> File::SystemWrite(const void* data, std::size_t size) {
  const char* from = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(Descriptor(handle_), from + done, size - done);
    if (n > 0)
      done += static_cast<std::size_t>(n);
    else if (n == 0)
      return ErrorFromErrno(EIO);
    else if (errno != EINTR)
      return ErrorFromErrno(errno);
  }
  return std::nullopt;
}

std::optional<SystemError> File::Close() {
  if (handle_ == kClosed) return std::nullopt;
  const int fd = Descriptor(handle_);
  handle_ = kClosed;
  if (::close(fd) != 0 && errno != EINTR) return ErrorFromErrno(errno);
  return std::nullopt;
}

FileKind File::Kind() const {
  struct stat info;
  if (::fstat(Descriptor(handle_), &info) != 0) return FileKind::Missing;
  return KindOfStat(info);
}

std::optional<FileIdentity> File::Identity() const {
  struct stat info;
  if (::fstat(Descriptor(handle_), &info) != 0) return std::nullopt;
  return IdentityOfStat(info);
}

std::optional<FileStamp> File::Stamp() const {
  struct stat info;
  if (::fstat(Descriptor(handle_), &info) != 0) return std::nullopt;
  return FileStamp{static_cast<std::int64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

File::Lock File::SystemTryLock() {
  int result;
  do result = ::flock(Descriptor(handle_), LOCK_EX | LOCK_NB);
  while (result != 0 && errno == EINTR);
  if (result == 0) return Lock::Held;
  return errno == EWOULDBLOCK ? Lock::HeldElsewhere : Lock::Unsupported;
}

std::optional<SystemError> File::Truncate() {
  // An empty file is left alone: a truncation marks the file on some file
  // systems (ext4) to be flushed to the disk at once when it is closed.
  struct stat info;
  if (::fstat(Descriptor(handle_), &info) == 0 && info.st_size == 0) return std::nullopt;
  if (::ftruncate(Descriptor(handle_), 0) != 0) return ErrorFromErrno(errno);
  return std::nullopt;
}

std::optional<SystemError> File::SystemDuplicate(File& into) const {
  into.Close();
  const int fd = ::fcntl(Descriptor(handle_), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return ErrorFromErrno(errno);
  into.handle_ = fd;
  return std::nullopt;
}

void File::TakePermissionsOf(const std::filesystem::path& like) {
  struct stat info;
  if (::stat(like.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    ::fchmod(Descriptor(handle_), info.st_mode & 07777);
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return IdentityOfStat(info);
}

FileKind KindOf(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return FileKind::Missing;
  return KindOfStat(info);
}

std::optional<SystemError> MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return ErrorFromErrno(errno);
  return std::nullopt;
}

bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b) {
  return a.native() == b.native();
}

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

void IgnoreBrokenPipeSignal() { std::signal(SIGPIPE, SIG_IGN); }

bool Exists(const std::filesystem::path& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

bool CreateFolder(const std::filesystem::path& path) { return ::mkdir(path.c_str(), 0777) == 0; }

}  // namespace sifta::platform
