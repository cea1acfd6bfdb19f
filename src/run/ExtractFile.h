// An extract file while a run writes it. The records go into a temporary
// file beside it, which is moved into place, replacing an older file of that
// name, when the run is done with the extract: it moves on to another
// extract file or ends (also after a cancel or an input/output error). Until
// then the older file stays as it was, so a later source file of the run
// that turns out to be this extract can still be refused without any loss:
// the temporary file is then discarded.
//
// The temporary file is new for the run: "<name>.<8 hex digits>.sifta-tmp"
// in the same folder, created only where no file of that name exists. So it
// is never a file that anyone had before: not a source of the run or the
// file its layout came from, not the file of a run that was killed (which
// keeps its records for the user), not another run's.
//
// One extract, one run at a time: a run holds the lock of the claim file
// "<name>.sifta-lock" beside the extract for as long as it writes it, and a
// second run that finds it locked is refused. The claim file is never
// written; the run that had to create it removes it again. The temporary
// file is locked as well, so that a run given another run's temporary or
// claim file as its extract is refused in the same way.
//
// A name that leads to a pipe or a device (/dev/null, /dev/full) is written
// directly: nothing can be moved over it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "inspect/TextFile.h"
#include "platform/Files.h"

namespace sifta {

class ExtractFile {
 public:
  // Another run is writing this extract; nothing was written.
  struct Busy {};
  using BeginResult = std::variant<std::unique_ptr<ExtractFile>, IoError, Busy>;

  // Starts writing the extract `path` (its folders exist): an empty, locked
  // temporary file. A symbolic link as `path` is followed, so that the file
  // it leads to is replaced.
  static BeginResult Begin(const std::filesystem::path& path);

  ExtractFile(const ExtractFile&) = delete;
  ExtractFile& operator=(const ExtractFile&) = delete;
  // Discards the temporary file unless Commit or Discard ran.
  ~ExtractFile();

  // Opens `writer` for the records of one source file, after those written
  // for the files before; `appending` is false for the first one.
  std::optional<IoError> OpenWriter(LineWriter& writer, bool appending) const;

  // Whether `path` names this extract: the same folder (by identity, however
  // spelled) and the same file name in it.
  bool IsTarget(const std::filesystem::path& path) const;

  // Whether the existing file of identity `id` (nothing: no file) is this
  // extract or its temporary file, under any name (links included).
  bool Holds(const std::optional<platform::FileIdentity>& id) const;

  // The temporary file becomes the extract; the lock ends. When it cannot
  // (on Windows, another program holds the older extract open; the folder
  // is gone), the older file stays as it was: the error is returned, and
  // KeptName() names the temporary file that still holds the records.
  std::optional<IoError> Commit();
  // After a failed Commit, the temporary file with the records; nothing when
  // it is gone with them (its folder was removed, say).
  std::optional<std::filesystem::path> KeptName() const;

  // The temporary file is removed; an older extract file stays untouched.
  void Discard();

  // The name the run was given (for messages).
  const std::filesystem::path& Name() const { return name_; }

 private:
  ExtractFile() = default;
  std::optional<IoError> ClaimAndCreate(bool& busy);
  bool TemporaryIsOurs() const;
  void Release();

  std::filesystem::path name_;   // as given
  std::filesystem::path final_;  // where the file goes: name_ with a symbolic link followed
  bool direct_ = false;
  std::optional<platform::FileIdentity> directId_;  // the pipe or device written directly
  std::optional<platform::FileIdentity> folderId_;
  std::filesystem::path fileName_;  // the last component of final_

  std::filesystem::path claimPath_;
  platform::File claim_;  // open on the claim file, holding its lock
  std::optional<platform::FileIdentity> claimId_;
  bool claimMade_ = false;  // this run created the claim file, and removes it

  std::filesystem::path temporary_;
  platform::File temporaryLock_;  // open on the temporary file, holding its lock
  std::optional<platform::FileIdentity> temporaryId_;
  bool kept_ = false;  // a failed Commit left the records in the temporary file
};

}  // namespace sifta
