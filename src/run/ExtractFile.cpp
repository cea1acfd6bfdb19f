#include "run/ExtractFile.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "scan/Cp932.h"

namespace sifta {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporarySuffix = ".sifta-tmp";
constexpr const char* kClaimSuffix = ".sifta-lock";
// The run that made a claim file removes it, so another run may open the
// name just before that and lock a file no longer there; it tries again,
// and takes the extract for busy when it never holds the claim.
constexpr int kClaimAttempts = 8;
// Names for the temporary file tried before giving up; each is taken only
// where nothing has that name.
constexpr int kTemporaryAttempts = 64;

// The name `given` with a symbolic link as its last component followed.
fs::path Followed(const fs::path& given) {
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

IoError FolderAsFile(const fs::path& path) {
  return DescribeIoError(platform::SystemError{platform::ErrorKind::IsFolder, 0}, path);
}

// `name` followed by `suffix`, in the folder of the place.
fs::path Beside(const Place& place, const std::string& suffix) {
  fs::path name = place.fileName;
  name += suffix;
  return place.folder / name;
}

// Opens the existing file `path` to take its lock: for writing where it may
// be (a lock over NFS needs it), else for reading. It is never written.
std::optional<platform::SystemError> OpenToLock(platform::File& file, const fs::path& path) {
  std::optional<platform::SystemError> error = file.Open(path, platform::File::Access::Update);
  if (error && error->kind == platform::ErrorKind::AccessDenied)
    error = file.Open(path, platform::File::Access::Read);
  return error;
}

// Whether another open of the existing file `path` holds its lock: the
// temporary or claim file of a run at work.
bool LockedElsewhere(const fs::path& path) {
  platform::File probe;
  if (OpenToLock(probe, path)) return false;
  return probe.TryLock() == platform::File::Lock::HeldElsewhere;
}

// ".1f2e3d4c.sifta-tmp": another name at every call.
std::string TemporarySuffix() {
  static std::mt19937 numbers{std::random_device{}()};
  char text[16];
  std::snprintf(text, sizeof text, ".%08x", static_cast<unsigned>(numbers()));
  return std::string(text) + kTemporarySuffix;
}

}  // namespace

ExtractFile::BeginResult ExtractFile::Begin(const fs::path& path) {
  std::unique_ptr<ExtractFile> file(new ExtractFile);
  file->name_ = path;
  if (auto bad = CheckFileName(platform::PathToUtf8(path))) return *bad;
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
  // Another run's temporary or claim file given as the extract.
  if (kind == platform::FileKind::Regular && LockedElsewhere(file->final_)) return Busy{};

  bool busy = false;
  if (auto error = file->ClaimAndCreate(busy)) return *error;
  if (busy) return Busy{};
  if (kind == platform::FileKind::Regular) file->temporaryLock_.TakePermissionsOf(file->final_);
  file->folderId_ = platform::IdentityOf(place.folder);
  return file;
}

// The claim first, then the temporary file; on every failure what was taken
// is given back by the destructor.
std::optional<IoError> ExtractFile::ClaimAndCreate(bool& busy) {
  const Place place = PlaceOf(final_);
  const fs::path& shown = name_;
  claimPath_ = Beside(place, kClaimSuffix);
  for (int attempt = 1;; ++attempt) {
    const bool lastAttempt = attempt == kClaimAttempts;
    platform::File claim;
    bool made = true;
    std::optional<platform::SystemError> error = claim.Open(claimPath_, platform::File::Access::CreateNew);
    if (error && error->kind == platform::ErrorKind::Exists) {
      // Left by a run that was killed, held by a run at work, or a file of
      // the user's: opened to be locked, never written.
      made = false;
      error = OpenToLock(claim, claimPath_);
    }
    // Gone between the two opens, or (on Windows) being removed by the run
    // that made it: tried again.
    if (error && !lastAttempt &&
        (error->kind == platform::ErrorKind::NotFound || error->kind == platform::ErrorKind::AccessDenied)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5 * attempt));
      continue;
    }
    if (error) return DescribeIoError(*error, made ? shown : claimPath_);
    if (claim.TryLock() == platform::File::Lock::HeldElsewhere) {
      busy = true;
      return std::nullopt;
    }
    // Locked, and still the file of that name: the claim is this run's.
    const std::optional<platform::FileIdentity> id = claim.Identity();
    if (id && id == platform::IdentityOf(claimPath_)) {
      claim_ = std::move(claim);
      claimId_ = id;
      claimMade_ = made;
      break;
    }
    if (lastAttempt) {
      busy = true;
      return std::nullopt;
    }
  }

  for (int attempt = 0;; ++attempt) {
    temporary_ = Beside(place, TemporarySuffix());
    const std::optional<platform::SystemError> error =
        temporaryLock_.Open(temporary_, platform::File::Access::CreateNew);
    if (!error) break;
    if (error->kind != platform::ErrorKind::Exists || attempt + 1 == kTemporaryAttempts)
      return DescribeIoError(*error, shown);
  }
  temporaryLock_.TryLock();
  temporaryId_ = temporaryLock_.Identity();
  return std::nullopt;
}

ExtractFile::~ExtractFile() { Discard(); }

std::optional<IoError> ExtractFile::OpenWriter(LineWriter& writer, bool appending) const {
  const fs::path& shown = name_;
  if (direct_)
    return writer.Open(final_, appending ? LineWriter::Mode::Append : LineWriter::Mode::Create, shown);
  // Through the file made for the run, never by its name again: whatever
  // happens to the name meanwhile, the records go into that file, after
  // those written before.
  platform::File file;
  if (auto error = temporaryLock_.Duplicate(file)) return DescribeIoError(*error, shown);
  writer.Open(std::move(file), shown);
  return std::nullopt;
}

bool ExtractFile::IsTarget(const fs::path& path) const {
  if (direct_) return directId_ && platform::IdentityOf(Followed(path)) == directId_;
  const Place place = PlaceOf(Followed(path));
  return platform::SameFileName(place.fileName, fileName_) && folderId_ &&
         platform::IdentityOf(place.folder) == folderId_;
}

bool ExtractFile::Holds(const std::optional<platform::FileIdentity>& id) const {
  if (!id) return false;
  if (direct_) return id == directId_;
  return (temporaryLock_.IsOpen() && id == temporaryId_) || id == platform::IdentityOf(final_);
}

bool ExtractFile::TemporaryIsOurs() const {
  return temporaryId_ && platform::IdentityOf(temporary_) == temporaryId_;
}

std::optional<IoError> ExtractFile::Commit() {
  if (direct_ || !temporaryLock_.IsOpen()) return std::nullopt;
  if (!TemporaryIsOurs()) {
    // Removed, with its folder or by itself: nothing of the run's to move.
    Release();
    return IoError{Sj("書き込み中の一時ファイルがなくなりました")};
  }
  const std::optional<platform::SystemError> error = platform::MoveIntoPlace(temporary_, final_);
  kept_ = error && TemporaryIsOurs();
  Release();
  if (error) return DescribeIoError(*error, name_);
  return std::nullopt;
}

std::optional<fs::path> ExtractFile::KeptName() const {
  if (!kept_) return std::nullopt;
  return temporary_;
}

void ExtractFile::Discard() {
  if (temporaryLock_.IsOpen() && TemporaryIsOurs()) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);  // while the lock is held: no other run has it
  }
  Release();
}

void ExtractFile::Release() {
  temporaryLock_.Close();
  if (!claim_.IsOpen()) return;
  // Removed while its lock is held, and only when the name still leads to it.
  if (claimMade_ && claimId_ && platform::IdentityOf(claimPath_) == claimId_) {
    std::error_code ignored;
    fs::remove(claimPath_, ignored);
  }
  claim_.Close();
}

}  // namespace sifta
