// The faults a test may make the file system show, on every platform: read
// and write errors, short reads and writes, a full disk at any byte, a file
// that ends early, a lock held by another. A FaultPlan installed by a test
// is asked by every File before it calls the system, and may cut the call
// short or answer with an error instead; the files themselves stay real.
// The program installs none, and then nothing is asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/Files.h"

namespace sifta::platform {

class FaultPlan {
 public:
  virtual ~FaultPlan() = default;

  // How much of a read or write is done: at most `most` bytes, then
  // `error`, when there is one, for the rest. A read of 0 bytes without an
  // error is the end of the file.
  struct Cut {
    std::size_t most;
    std::optional<SystemError> error;
  };

  // Before `path` is opened: an error to give instead.
  virtual std::optional<SystemError> Open(const std::filesystem::path& path, File::Access access) {
    (void)path;
    (void)access;
    return std::nullopt;
  }
  // Before `size` bytes are read at `offset` of the file opened as `path`
  // (for Read, the bytes read through that handle so far). May be asked
  // from several threads at once.
  virtual Cut Read(const std::filesystem::path& path, std::int64_t offset, std::size_t size) {
    (void)path;
    (void)offset;
    return {size, std::nullopt};
  }
  // Before `size` bytes are written after the `offset` bytes written through
  // the handle of `path` so far (a duplicate handle counts on). A cut short
  // without an error is written in several calls, each asked again.
  virtual Cut Write(const std::filesystem::path& path, std::int64_t offset, std::size_t size) {
    (void)path;
    (void)offset;
    return {size, std::nullopt};
  }
  // Whether another program holds the lock of `path`.
  virtual bool LockHeldElsewhere(const std::filesystem::path& path) {
    (void)path;
    return false;
  }
};

// Installs `plan` (not owned; nullptr: none) for every File from now on.
void InstallFaults(FaultPlan* plan);

}  // namespace sifta::platform
