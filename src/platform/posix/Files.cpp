#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
    default:
      break;
  }
  return SystemError{kind, code};
}

namespace {

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

std::string SystemErrorText(const SystemError& error) { return std::strerror(error.code); }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kClosed;
  }
  return *this;
}

std::optional<SystemError> File::Open(const std::filesystem::path& path, Access access) {
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
  }
  // A pipe is opened without waiting for its writer, and then refused.
  if (access == Access::Read) flags |= O_NONBLOCK;
  int fd;
  do fd = ::open(path.c_str(), flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    // With O_CREAT, ENOENT means that a folder of the path is missing.
    if (access != Access::Read && errno == ENOENT) return ErrorFromErrno(ENOTDIR);
    if (access == Access::Read && errno == ENXIO) return SystemError{ErrorKind::NotAFile, ENXIO};
    return ErrorFromErrno(errno);
  }
  if (access == Access::Read) {
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
      ::close(fd);
      return ErrorFromErrno(EISDIR);
    }
    if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
      ::close(fd);
      return SystemError{ErrorKind::NotAFile, 0};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  handle_ = fd;
  return std::nullopt;
}

File::ReadResult File::Read(void* into, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(Descriptor(handle_), into, size);
    if (n >= 0) return ReadResult{static_cast<std::size_t>(n), std::nullopt};
    if (errno != EINTR) return ReadResult{0, ErrorFromErrno(errno)};
  }
}

std::optional<SystemError> File::Write(const void* data, std::size_t size) {
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

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool Exists(const std::filesystem::path& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

bool CreateFolder(const std::filesystem::path& path) { return ::mkdir(path.c_str(), 0777) == 0; }

}  // namespace sifta::platform
