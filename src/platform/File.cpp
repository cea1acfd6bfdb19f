// What every File does whatever the system: the faults of an installed
// FaultPlan, then the system's call (posix/Files.cpp, win32/Files.cpp).
#include <algorithm>
#include <atomic>

#include "platform/Faults.h"
#include "platform/Files.h"

namespace sifta::platform {

namespace {

std::atomic<FaultPlan*> installed{nullptr};

FaultPlan* Faults() { return installed.load(std::memory_order_acquire); }

}  // namespace

void InstallFaults(FaultPlan* plan) { installed.store(plan, std::memory_order_release); }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, kClosed);
    path_ = std::move(other.path_);
    read_ = other.read_;
    written_ = other.written_;
  }
  return *this;
}

std::optional<SystemError> File::Open(const std::filesystem::path& path, Access access) {
  Close();
  if (FaultPlan* plan = Faults())
    if (auto error = plan->Open(path, access)) return error;
  if (auto error = SystemOpen(path, access)) return error;
  path_ = path;
  read_ = written_ = 0;
  return std::nullopt;
}

File::ReadResult File::Read(void* into, std::size_t size) {
  if (FaultPlan* plan = Faults()) {
    const FaultPlan::Cut cut = plan->Read(path_, read_, size);
    if (cut.most == 0 && cut.error) return ReadResult{0, cut.error};
    size = std::min(size, cut.most);
    if (size == 0) return ReadResult{};
  }
  const ReadResult result = SystemRead(into, size);
  read_ += static_cast<std::int64_t>(result.bytes);
  return result;
}

File::ReadResult File::ReadAt(void* into, std::size_t size, std::int64_t offset) const {
  if (FaultPlan* plan = Faults()) {
    const FaultPlan::Cut cut = plan->Read(path_, offset, size);
    if (cut.most == 0 && cut.error) return ReadResult{0, cut.error};
    size = std::min(size, cut.most);
    if (size == 0) return ReadResult{};
  }
  return SystemReadAt(into, size, offset);
}

std::optional<SystemError> File::Write(const void* data, std::size_t size) {
  FaultPlan* plan = Faults();
  if (!plan) {
    if (auto error = SystemWrite(data, size)) return error;
    written_ += static_cast<std::int64_t>(size);
    return std::nullopt;
  }
  const char* from = static_cast<const char*>(data);
  while (size > 0) {
    const FaultPlan::Cut cut = plan->Write(path_, written_, size);
    const std::size_t part = std::min(size, cut.most);
    if (part > 0) {
      if (auto error = SystemWrite(from, part)) return error;
      written_ += static_cast<std::int64_t>(part);
      from += part;
      size -= part;
    }
    if (cut.error) return cut.error;
    if (part == 0) return SystemError{ErrorKind::Io, 0};  // a write that never goes on
  }
  return std::nullopt;
}

File::Lock File::TryLock() {
  if (FaultPlan* plan = Faults(); plan && plan->LockHeldElsewhere(path_)) return Lock::HeldElsewhere;
  return SystemTryLock();
}

std::optional<SystemError> File::Duplicate(File& into) const {
  if (auto error = SystemDuplicate(into)) return error;
  into.path_ = path_;
  into.read_ = read_;
  into.written_ = written_;
  return std::nullopt;
}

}  // namespace sifta::platform
