#include "run/ExtractFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace sifta {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporarySuffix = ".sifta-tmp";
// Another run may move the temporary file away between its open and its
// lock; the open is tried again a few times.
constexpr int kLockAttempts = 8;

// `path` with a symbolic link as its last component followed.
std::string Followed(const std::string& path) {
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  const fs::path target = fs::canonical(path, error);
  return error ? path : target.string();
}

struct Place {
  fs::path folder;
  std::string fileName;
};

Place PlaceOf(const std::string& path) {
  const fs::path p(path);
  Place place{p.parent_path(), p.filename().string()};
  if (place.folder.empty()) place.folder = ".";
  return place;
}

}  // namespace

ExtractFile::BeginResult ExtractFile::Begin(const std::string& path) {
  std::unique_ptr<ExtractFile> file(new ExtractFile);
  file->name_ = path;
  if (auto bad = CheckFileName(path)) return *bad;
  file->final_ = Followed(path);
  switch (KindOfPath(file->final_)) {
    case FileKind::Folder:
      return DescribeIoError(EISDIR, path);
    case FileKind::Other:
      file->direct_ = true;
      file->directId_ = IdOfPath(file->final_);
      return file;
    case FileKind::Missing:
    case FileKind::Regular:
      break;
  }
  const Place place = PlaceOf(file->final_);
  if (place.fileName.empty()) return DescribeIoError(EISDIR, path);
  file->fileName_ = place.fileName;
  file->temporary_ = (place.folder / (place.fileName + kTemporarySuffix)).string();

  for (int attempt = 0;; ++attempt) {
    int fd;
    do fd = ::open(file->temporary_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    while (fd < 0 && errno == EINTR);
    // With O_CREAT, ENOENT means that a folder of the path is missing.
    if (fd < 0) return DescribeIoError(errno == ENOENT ? ENOTDIR : errno, path);
    if (TryLockExclusive(fd) == kLockHeldElsewhere) {
      ::close(fd);
      return Busy{};
    }
    const std::optional<FileId> opened = IdOfOpenFile(fd);
    if ((opened && opened == IdOfPath(file->temporary_)) || attempt + 1 == kLockAttempts) {
      file->lockFd_ = fd;
      break;
    }
    ::close(fd);
  }
  // A temporary file left by a run that was killed is taken over.
  if (::ftruncate(file->lockFd_, 0) != 0) {
    const int error = errno;
    file->Discard();
    return DescribeIoError(error, path);
  }
  CopyPermissions(file->lockFd_, file->final_);
  file->folderId_ = IdOfPath(place.folder.string());
  return file;
}

ExtractFile::~ExtractFile() { Discard(); }

std::optional<IoError> ExtractFile::OpenWriter(LineWriter& writer, bool appending) const {
  if (direct_)
    return writer.Open(final_, appending ? LineWriter::Mode::Append : LineWriter::Mode::Create, name_);
  return writer.Open(temporary_, LineWriter::Mode::Append, name_);
}

bool ExtractFile::IsTarget(const std::string& path) const {
  if (direct_) return directId_ && IdOfPath(Followed(path)) == directId_;
  const Place place = PlaceOf(Followed(path));
  return place.fileName == fileName_ && folderId_ && IdOfPath(place.folder.string()) == folderId_;
}

bool ExtractFile::Holds(const std::string& path) const {
  const std::optional<FileId> id = IdOfPath(path);
  if (!id) return false;
  if (direct_) return id == directId_;
  return (lockFd_ >= 0 && id == IdOfOpenFile(lockFd_)) || id == IdOfPath(final_);
}

std::optional<IoError> ExtractFile::Commit() {
  if (direct_ || lockFd_ < 0) return std::nullopt;
  if (const int error = ReplaceFile(temporary_, final_)) {
    Discard();
    return DescribeIoError(error, name_);
  }
  Release();
  return std::nullopt;
}

void ExtractFile::Discard() {
  if (lockFd_ < 0) return;
  std::error_code ignored;
  fs::remove(temporary_, ignored);  // while the lock is held: no other run has it
  Release();
}

void ExtractFile::Release() {
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
}

}  // namespace sifta
