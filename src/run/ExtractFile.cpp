#include "run/ExtractFile.h"

#include <filesystem>

namespace sifta {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporarySuffix = ".sifta-tmp";
// Another run may move the temporary file away between its open and its
// lock; the open is tried again a few times.
constexpr int kLockAttempts = 8;

// The name `path` (UTF-8) with a symbolic link as its last component followed.
fs::path Followed(const std::string& path) {
  const fs::path given = platform::PathFromUtf8(path);
  std::error_code error;
  if (!fs::is_symlink(given, error)) return given;
  const fs::path target = fs::canonical(given, error);
  return error ? given : target;
}

struct Place {
  fs::path folder;
  fs::path fileName;
};

Place PlaceOf(const fs::path& path) {
  Place place{path.parent_path(), path.filename()};
  if (place.folder.empty()) place.folder = ".";
  return place;
}

IoError FolderAsFile(const std::string& path) {
  return DescribeIoError(platform::SystemError{platform::ErrorKind::IsFolder, 0},
                         platform::PathFromUtf8(path));
}

}  // namespace

ExtractFile::BeginResult ExtractFile::Begin(const std::string& path) {
  std::unique_ptr<ExtractFile> file(new ExtractFile);
  file->name_ = path;
  if (auto bad = CheckFileName(path)) return *bad;
  const fs::path shown = platform::PathFromUtf8(path);
  file->final_ = Followed(path);
  const platform::FileKind kind = platform::KindOf(file->final_);
  switch (kind) {
    case platform::FileKind::Folder:
      return FolderAsFile(path);
    case platform::FileKind::Other:
      file->direct_ = true;
      file->directId_ = platform::IdentityOf(file->final_);
      return file;
    case platform::FileKind::Missing:
    case platform::FileKind::Regular:
      break;
  }
  const Place place = PlaceOf(file->final_);
  if (place.fileName.empty()) return FolderAsFile(path);
  file->fileName_ = place.fileName;
  fs::path temporaryName = place.fileName;
  temporaryName += kTemporarySuffix;
  file->temporary_ = place.folder / temporaryName;

  for (int attempt = 0;; ++attempt) {
    platform::File opened;
    if (auto error = opened.Open(file->temporary_, platform::File::Access::Update))
      return DescribeIoError(*error, shown);
    if (opened.TryLock() == platform::File::Lock::HeldElsewhere) return Busy{};
    const std::optional<platform::FileIdentity> id = opened.Identity();
    if ((id && id == platform::IdentityOf(file->temporary_)) || attempt + 1 == kLockAttempts) {
      file->lock_ = std::move(opened);
      file->temporaryId_ = id;
      break;
    }
  }
  // A temporary file left by a run that was killed is taken over.
  if (auto error = file->lock_.Truncate()) {
    file->Discard();
    return DescribeIoError(*error, shown);
  }
  if (kind == platform::FileKind::Regular) file->lock_.TakePermissionsOf(file->final_);
  file->folderId_ = platform::IdentityOf(place.folder);
  return file;
}

ExtractFile::~ExtractFile() { Discard(); }

std::optional<IoError> ExtractFile::OpenWriter(LineWriter& writer, bool appending) const {
  const fs::path shown = platform::PathFromUtf8(name_);
  if (direct_)
    return writer.Open(final_, appending ? LineWriter::Mode::Append : LineWriter::Mode::Create, shown);
  return writer.Open(temporary_, LineWriter::Mode::Append, shown);
}

bool ExtractFile::IsTarget(const std::string& path) const {
  if (direct_) return directId_ && platform::IdentityOf(Followed(path)) == directId_;
  const Place place = PlaceOf(Followed(path));
  return platform::SameFileName(place.fileName, fileName_) && folderId_ &&
         platform::IdentityOf(place.folder) == folderId_;
}

bool ExtractFile::Holds(const std::string& path) const {
  return Holds(platform::IdentityOf(platform::PathFromUtf8(path)));
}

bool ExtractFile::Holds(const std::optional<platform::FileIdentity>& id) const {
  if (!id) return false;
  if (direct_) return id == directId_;
  return (lock_.IsOpen() && id == temporaryId_) || id == platform::IdentityOf(final_);
}

std::optional<IoError> ExtractFile::Commit() {
  if (direct_ || !lock_.IsOpen()) return std::nullopt;
  if (auto error = platform::MoveIntoPlace(temporary_, final_)) {
    Release();
    return DescribeIoError(*error, platform::PathFromUtf8(name_));
  }
  Release();
  return std::nullopt;
}

std::string ExtractFile::KeptName() const { return platform::PathToUtf8(temporary_); }

void ExtractFile::Discard() {
  if (!lock_.IsOpen()) return;
  std::error_code ignored;
  fs::remove(temporary_, ignored);  // while the lock is held: no other run has it
  Release();
}

void ExtractFile::Release() { lock_.Close(); }

}  // namespace sifta
