// The file system as the program uses it: binary file handles for reading,
// creating and appending, the identity of a file, the existence test and the
// creation of one folder level, and the system's description of an error.
// File names are std::filesystem::path all the way to the system call, so a
// Japanese name reaches Windows as UTF-16 and Linux as the bytes typed.
//
// No handle ever translates line ends or stops at 0x1A: the bytes read and
// written are the bytes of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace sifta::platform {

// What went wrong in a call to the system, in the terms the program reports.
enum class ErrorKind {
  NotFound,      // no such file
  PathNotFound,  // a folder of the path is missing
  AccessDenied,
  IsFolder,  // a folder where a file was wanted
  NotAFile,  // a pipe, a device or a socket where a file to read was wanted
  DiskFull,
  ReadOnly,  // a read-only file system or medium
  Io,        // the device failed
  TooLarge,  // the file grew past what the system allows
  BadName,   // a name the system does not allow (on Windows <>:"|?* or CON, NUL, COM1...)
  Exists,    // a new file was wanted, and the name is taken
  Other,
};

struct SystemError {
  ErrorKind kind = ErrorKind::Other;
  int code = 0;  // errno, or the Windows error code
};

// An errno value of the C library as a system error (on Windows, of its
// C runtime, given as the nearest system error).
SystemError ErrorFromErrno(int code);

// The system's own description of `error` in UTF-8: strerror, or FormatMessage
// in the user's language on Windows.
std::string SystemErrorText(const SystemError& error);

// Which file a name leads to: device and inode, or volume serial number and
// file index. Two names of one file (another case, another separator, a
// short 8.3 name, a hard or symbolic link) give the same identity; two
// different files never do.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What tells that a file changed: its size and the time it was last written
// (in the system's own unit). A file written to, cut short or grown between
// two looks gives another stamp.
struct FileStamp {
  std::int64_t size = 0;
  std::int64_t modified = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// What a name leads to (symbolic links followed).
enum class FileKind {
  Missing,  // nothing of that name, or a name the system does not allow
  Regular,
  Folder,
  Other,  // a pipe, a device, a socket: nothing that reads like a file
};

// An open file; closed when it goes.
class File {
 public:
  enum class Access {
    Read,    // an existing file that is not a folder, from its start
    Create,  // a new file, replacing one of that name
    Append,  // an existing file from its end, or a new one
    // An existing file or a new one, for reading and writing in place: not
    // emptied, and refused when the name is a symbolic link.
    Update,
    // A new file for reading and writing, refused (ErrorKind::Exists) when
    // anything has the name, a symbolic link included: a file made this way
    // was nobody's before.
    CreateNew,
  };

  File() = default;
  File(File&& other) noexcept { *this = std::move(other); }
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  std::optional<SystemError> Open(const std::filesystem::path& path, Access access);
  bool IsOpen() const { return handle_ != kClosed; }

  struct ReadResult {
    std::size_t bytes = 0;  // 0 at the end of the file
    std::optional<SystemError> error;
  };
  // Reads at most `size` bytes; an interrupted read is retried.
  ReadResult Read(void* into, std::size_t size);
  // The same from byte `offset` of the file on, whatever the position Read
  // has reached: several threads may read one handle this way at once. On
  // Windows it moves that position, so a handle read by position is not
  // read on with Read.
  ReadResult ReadAt(void* into, std::size_t size, std::int64_t offset) const;

  // Writes all `size` bytes or fails.
  std::optional<SystemError> Write(const void* data, std::size_t size);

  // The first error of closing (buffers the system had not yet written).
  std::optional<SystemError> Close();

  FileKind Kind() const;
  std::optional<FileIdentity> Identity() const;
  // The stamp of the open file, whatever its name leads to now.
  std::optional<FileStamp> Stamp() const;

  // Takes the exclusive lock of the file without waiting. The lock is held
  // against every other open of the file, in this process or another, and
  // ends when this handle is closed. It never keeps another handle from
  // reading or writing the file.
  enum class Lock { Held, HeldElsewhere, Unsupported };
  Lock TryLock();

  // Empties the file.
  std::optional<SystemError> Truncate();

  // Another handle of the same open file: it shares the position (writes
  // through either go on where the last one ended) and leaves the lock with
  // this handle.
  std::optional<SystemError> Duplicate(File& into) const;

  // Gives the file the permissions of the file `like`, when there is one (a
  // replaced file keeps its permissions); nothing on Windows, whose
  // attributes belong to a name.
  void TakePermissionsOf(const std::filesystem::path& like);

 private:
  // The calls to the system, one side of them for POSIX and one for Win32;
  // the members above add what a FaultPlan makes of them (platform/Faults.h).
  std::optional<SystemError> SystemOpen(const std::filesystem::path& path, Access access);
  ReadResult SystemRead(void* into, std::size_t size);
  ReadResult SystemReadAt(void* into, std::size_t size, std::int64_t offset) const;
  std::optional<SystemError> SystemWrite(const void* data, std::size_t size);
  Lock SystemTryLock();
  std::optional<SystemError> SystemDuplicate(File& into) const;

  static constexpr std::intptr_t kClosed = -1;  // also INVALID_HANDLE_VALUE
  std::intptr_t handle_ = kClosed;              // a file descriptor, or a HANDLE
  // What a FaultPlan is told: the name opened, and the bytes read and
  // written through this handle.
  std::filesystem::path path_;
  std::int64_t read_ = 0;
  std::int64_t written_ = 0;
};

// The identity of the file or folder `path` names; nothing when there is none.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

FileKind KindOf(const std::filesystem::path& path);

// Moves the file `from` to the name `to` in one step, replacing a file of that
// name; both are in the same folder.
std::optional<SystemError> MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to);

// Whether two file names in one folder name the same file: the same bytes on
// Linux; on Windows the same letters, upper and lower case alike.
bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b);

// A write beyond the file size limit (ulimit -f) fails with a write error
// instead of ending the program; so does a write into a pipe without reader.
// Nothing to do on Windows, which has neither signal.
void IgnoreFileSizeSignal();
void IgnoreBrokenPipeSignal();

// Whether anything (a file or a folder) has the name `path`.
bool Exists(const std::filesystem::path& path);

// Creates the one folder `path`, whose parent exists; false when it fails.
bool CreateFolder(const std::filesystem::path& path);

// The path of a UTF-8 text (a name typed in a window or read from a
// conditions file), and back.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace sifta::platform
