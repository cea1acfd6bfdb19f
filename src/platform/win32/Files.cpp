#include "platform/Files.h"

#include <windows.h>

#include <array>
#include <cerrno>
#include <cwctype>
#include <string_view>

#include "platform/win32/Text.h"

namespace sifta::platform {

namespace {

SystemError FromWindows(DWORD code) {
  ErrorKind kind = ErrorKind::Other;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      kind = ErrorKind::NotFound;
      break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      kind = ErrorKind::PathNotFound;
      break;
    case ERROR_ACCESS_DENIED:
      kind = ErrorKind::AccessDenied;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      kind = ErrorKind::DiskFull;
      break;
    case ERROR_WRITE_PROTECT:
      kind = ErrorKind::ReadOnly;
      break;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
      kind = ErrorKind::Io;
      break;
    case ERROR_FILE_TOO_LARGE:
      kind = ErrorKind::TooLarge;
      break;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      kind = ErrorKind::BadName;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      kind = ErrorKind::Exists;
      break;
    default:
      break;
  }
  return SystemError{kind, static_cast<int>(code)};
}

SystemError LastError() { return FromWindows(GetLastError()); }

FileIdentity IdentityOfInformation(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

FileKind KindOfHandle(HANDLE handle) {
  switch (GetFileType(handle)) {
    case FILE_TYPE_DISK: {
      BY_HANDLE_FILE_INFORMATION info;
      if (!GetFileInformationByHandle(handle, &info)) return FileKind::Missing;
      return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::Folder : FileKind::Regular;
    }
    case FILE_TYPE_UNKNOWN:
      return GetLastError() == NO_ERROR ? FileKind::Other : FileKind::Missing;
    default:
      return FileKind::Other;  // a console, a printer port, a pipe
  }
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 name devices in every folder,
// with any extension ("nul.csv") and with blanks before it.
bool IsDeviceName(std::wstring_view component) {
  std::wstring_view stem = component.substr(0, component.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  std::wstring upper;
  for (wchar_t c : stem) upper += static_cast<wchar_t>(std::towupper(c));
  if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL") return true;
  return upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT")) && upper[3] >= L'1' &&
         upper[3] <= L'9';
}

// A name that Windows would refuse or take for a device: a character of
// <>:"|?* or a control character in a component, or a device name. The drive
// and the server of a UNC name are not components; a name that begins with
// \\?\ or \\.\ is passed to the system as it is.
std::optional<SystemError> CheckName(const std::filesystem::path& path) {
  const std::wstring& name = path.native();
  if (name.starts_with(L"\\\\?\\") || name.starts_with(L"\\\\.\\")) return std::nullopt;
  const std::wstring_view rest = std::wstring_view(name).substr(path.root_name().native().size());
  size_t begin = 0;
  while (begin <= rest.size()) {
    size_t end = begin;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::wstring_view component = rest.substr(begin, end - begin);
    for (wchar_t c : component)
      if (c < 32 || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos)
        return SystemError{ErrorKind::BadName, ERROR_INVALID_NAME};
    if (IsDeviceName(component)) return SystemError{ErrorKind::BadName, ERROR_INVALID_NAME};
    begin = end + 1;
  }
  return std::nullopt;
}

bool IsFolder(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A handle that asks a file or folder what it is, without any access right.
HANDLE OpenToAsk(const std::filesystem::path& path) {
  return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

SystemError ErrorFromErrno(int code) {
  switch (code) {
    case ENOENT:
      return FromWindows(ERROR_FILE_NOT_FOUND);
    case ENOTDIR:
      return FromWindows(ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
      return FromWindows(ERROR_ACCESS_DENIED);
    case EISDIR:
      return SystemError{ErrorKind::IsFolder, ERROR_ACCESS_DENIED};
    case ENOSPC:
      return FromWindows(ERROR_DISK_FULL);
    case EROFS:
      return FromWindows(ERROR_WRITE_PROTECT);
    case EIO:
      return FromWindows(ERROR_IO_DEVICE);
    case EFBIG:
      return FromWindows(ERROR_FILE_TOO_LARGE);
    case ENAMETOOLONG:
      return FromWindows(ERROR_FILENAME_EXCED_RANGE);
    case EPIPE:
      return FromWindows(ERROR_NO_DATA);  // the pipe is being closed
    case EBADF:
      return FromWindows(ERROR_INVALID_HANDLE);
    default:
      return FromWindows(ERROR_GEN_FAILURE);
  }
}

std::string SystemErrorText(const SystemError& error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(error.code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return "Windows error " + std::to_string(error.code);
  std::wstring_view view(text, length);
  while (!view.empty() && (view.back() == L'\r' || view.back() == L'\n' || view.back() == L' '))
    view.remove_suffix(1);
  std::string utf8 = win32::Utf8FromWide(view);
  LocalFree(text);
  return utf8;
}

std::optional<SystemError> File::SystemOpen(const std::filesystem::path& path, Access access) {
  Close();
  if (auto bad = CheckName(path)) return bad;
  DWORD rights = GENERIC_READ;
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  DWORD disposition = OPEN_EXISTING;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  switch (access) {
    case Access::Read:
      flags |= FILE_FLAG_SEQUENTIAL_SCAN;
      break;
    case Access::Create:
      rights = GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
    case Access::Append:
      rights = FILE_APPEND_DATA | SYNCHRONIZE;  // every write goes to the end
      disposition = OPEN_ALWAYS;
      break;
    case Access::Update:
      rights = GENERIC_READ | GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      flags |= FILE_FLAG_OPEN_REPARSE_POINT;  // a symbolic link itself, to be refused
      break;
    case Access::CreateNew:
      rights = GENERIC_READ | GENERIC_WRITE;
      disposition = CREATE_NEW;
      break;
  }
  // Every handle lets the others read, write, rename and remove the file, as
  // a file descriptor does: a run writes its extract through one handle while
  // another holds the lock, and moves it into place while both are open.
  const HANDLE handle = CreateFileW(path.c_str(), rights, share, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const SystemError error = LastError();
    if (error.kind == ErrorKind::AccessDenied && IsFolder(path))
      return SystemError{ErrorKind::IsFolder, error.code};
    return error;
  }
  if (access == Access::Update) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      CloseHandle(handle);
      return SystemError{ErrorKind::AccessDenied, ERROR_CANT_ACCESS_FILE};
    }
  }
  if (GetFileType(handle) == FILE_TYPE_DISK) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      CloseHandle(handle);
      return SystemError{ErrorKind::IsFolder, ERROR_ACCESS_DENIED};
    }
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  return std::nullopt;
}

File::ReadResult File::SystemRead(void* into, std::size_t size) {
  const DWORD wanted = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
  DWORD got = 0;
  if (ReadFile(AsHandle(handle_), into, wanted, &got, nullptr)) return ReadResult{got, std::nullopt};
  const DWORD code = GetLastError();
  if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return ReadResult{0, std::nullopt};
  return ReadResult{0, FromWindows(code)};
}

File::ReadResult File::SystemReadAt(void* into, std::size_t size, std::int64_t offset) const {
  const DWORD wanted = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  DWORD got = 0;
  if (ReadFile(AsHandle(handle_), into, wanted, &got, &at)) return ReadResult{got, std::nullopt};
  const DWORD code = GetLastError();
  if (code == ERROR_HANDLE_EOF) return ReadResult{0, std::nullopt};
  return ReadResult{0, FromWindows(code)};
}

std::optional<SystemError> File::SystemWrite(const void* data, std::size_t size) {
  const char* from = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), from, chunk, &written, nullptr)) return LastError();
    if (written == 0) return SystemError{ErrorKind::Io, ERROR_WRITE_FAULT};
    from += written;
    size -= written;
  }
  return std::nullopt;
}

std::optional<SystemError> File::Close() {
  if (handle_ == kClosed) return std::nullopt;
  const HANDLE handle = AsHandle(handle_);
  handle_ = kClosed;
  if (!CloseHandle(handle)) return LastError();
  return std::nullopt;
}

FileKind File::Kind() const { return KindOfHandle(AsHandle(handle_)); }

std::optional<FileIdentity> File::Identity() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(AsHandle(handle_), &info)) return std::nullopt;
  return IdentityOfInformation(info);
}

std::optional<FileStamp> File::Stamp() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(AsHandle(handle_), &info)) return std::nullopt;
  return FileStamp{
      static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow),
      static_cast<std::int64_t>((static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                info.ftLastWriteTime.dwLowDateTime)};
}

File::Lock File::SystemTryLock() {
  // A Windows lock keeps every other handle from the bytes it covers, so it
  // covers one byte far past any end a file reaches: other handles, this
  // run's writer among them, read and write the file as ever.
  OVERLAPPED at = {};
  at.Offset = 0xFFFFFFFE;
  at.OffsetHigh = 0x7FFFFFFF;
  if (LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
    return Lock::Held;
  const DWORD code = GetLastError();
  return code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING ? Lock::HeldElsewhere : Lock::Unsupported;
}

std::optional<SystemError> File::Truncate() {
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(AsHandle(handle_), start, nullptr, FILE_BEGIN) || !SetEndOfFile(AsHandle(handle_)))
    return LastError();
  return std::nullopt;
}

std::optional<SystemError> File::SystemDuplicate(File& into) const {
  into.Close();
  HANDLE copy = INVALID_HANDLE_VALUE;
  if (!DuplicateHandle(GetCurrentProcess(), AsHandle(handle_), GetCurrentProcess(), &copy, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return LastError();
  into.handle_ = reinterpret_cast<std::intptr_t>(copy);
  return std::nullopt;
}

void File::TakePermissionsOf(const std::filesystem::path&) {}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  if (CheckName(path)) return std::nullopt;
  // No access right is needed to ask a file who it is; a folder opens with
  // the backup flag.
  const HANDLE handle = OpenToAsk(path);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return std::nullopt;
  return IdentityOfInformation(info);
}

FileKind KindOf(const std::filesystem::path& path) {
  if (CheckName(path)) return FileKind::Missing;
  const HANDLE handle = OpenToAsk(path);
  if (handle == INVALID_HANDLE_VALUE) return FileKind::Missing;
  const FileKind kind = KindOfHandle(handle);
  CloseHandle(handle);
  return kind;
}

std::optional<SystemError> MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (auto bad = CheckName(to)) return bad;
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return LastError();
  return std::nullopt;
}

bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b) {
  const std::wstring& x = a.native();
  const std::wstring& y = b.native();
  return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()),
                              TRUE) == CSTR_EQUAL;
}

void IgnoreFileSizeSignal() {}

void IgnoreBrokenPipeSignal() {}

bool Exists(const std::filesystem::path& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateFolder(const std::filesystem::path& path) {
  if (CheckName(path)) return false;
  return CreateDirectoryW(path.c_str(), nullptr) != 0;
}

}  // namespace sifta::platform
