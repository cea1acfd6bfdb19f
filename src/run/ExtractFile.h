// An extract file while a run writes it. The records go into a temporary
// file beside it ("<name>.sifta-tmp" in the same folder), which is moved into
// place, replacing an older file of that name, when the run is done with the
// extract: it moves on to another extract file or ends (also after a cancel
// or an input/output error). Until then the older file stays as it was, so a
// later source file of the run that turns out to be this extract can still
// be refused without any loss: the temporary file is then discarded.
//
// The temporary file carries an exclusive lock for as long as the run writes
// it, so that a second run (another window, another driver) writing the same
// extract is refused instead of mixing its records in.
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

  // Starts writing the extract `path` (UTF-8; its folders exist): an empty,
  // locked temporary file. A symbolic link as `path` is followed, so that
  // the file it leads to is replaced.
  static BeginResult Begin(const std::string& path);

  ExtractFile(const ExtractFile&) = delete;
  ExtractFile& operator=(const ExtractFile&) = delete;
  // Discards the temporary file unless Commit or Discard ran.
  ~ExtractFile();

  // Opens `writer` for the records of one source file, after those written
  // for the files before; `appending` is false for the first one.
  std::optional<IoError> OpenWriter(LineWriter& writer, bool appending) const;

  // Whether `path` names this extract: the same folder (by identity, however
  // spelled) and the same file name in it.
  bool IsTarget(const std::string& path) const;

  // Whether the existing file `path` is this extract or its temporary file,
  // under any name (links included).
  bool Holds(const std::string& path) const;
  // The same for the identity of an existing file (nothing: no file).
  bool Holds(const std::optional<platform::FileIdentity>& id) const;

  // The temporary file becomes the extract; the lock ends. When it cannot
  // (on Windows, another program holds the older extract open), the older
  // file stays as it was and the temporary file is kept, with the records:
  // the error is returned, and KeptName() names that file.
  std::optional<IoError> Commit();
  // The temporary file that a failed Commit kept (UTF-8).
  std::string KeptName() const;

  // The temporary file is removed; an older extract file stays untouched.
  void Discard();

  // The name the run was given (for messages and the record count list).
  const std::string& Name() const { return name_; }

 private:
  ExtractFile() = default;
  void Release();

  std::string name_;             // as given
  std::filesystem::path final_;  // where the file goes: name_ with a symbolic link followed
  bool direct_ = false;
  std::optional<platform::FileIdentity> directId_;  // the pipe or device written directly
  std::filesystem::path temporary_;
  platform::File lock_;                                // open on the temporary file, holding its lock
  std::optional<platform::FileIdentity> temporaryId_;  // of the file lock_ holds
  std::optional<platform::FileIdentity> folderId_;
  std::filesystem::path fileName_;  // the last component of final_
};

}  // namespace sifta
