// What every fuzz target needs: a failed check that libFuzzer sees as a
// crash, in-memory files with a path, byte buffers of exactly their size (so
// that AddressSanitizer sees a read one byte past the end), and a test that
// no file descriptor was left open.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fuzz {

inline std::string Printable(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

[[noreturn]] inline void Fail(const char* file, int line, const char* what, const std::string& detail) {
  std::fprintf(stderr, "\n*** check failed at %s:%d: %s\n%s\n", file, line, what, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace fuzz

// CHECK(condition, detail-expression yielding std::string)
#define CHECK(cond, detail)                                         \
  do {                                                              \
    if (!(cond)) ::fuzz::Fail(__FILE__, __LINE__, #cond, (detail)); \
  } while (0)

namespace fuzz {

// A copy of `bytes` in a heap block of exactly that size.
class ExactBytes {
 public:
  explicit ExactBytes(std::string_view bytes) : size_(bytes.size()), data_(new char[bytes.size()]) {
    if (size_ > 0) std::memcpy(data_.get(), bytes.data(), size_);
  }
  std::string_view View() const { return {data_.get(), size_}; }

 private:
  size_t size_;
  std::unique_ptr<char[]> data_;
};

// A file in memory, reached by a path (/proc/self/fd/N); rewritten for
// every input.
class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(::memfd_create(name, 0)) {
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { ::close(fd_); }

  void Set(std::string_view bytes) {
    if (::ftruncate(fd_, 0) != 0) std::abort();
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<size_t>(n);
    }
  }
  std::string Get() const {
    std::string out;
    char block[65536];
    off_t at = 0;
    for (;;) {
      const ssize_t n = ::pread(fd_, block, sizeof block, at);
      if (n <= 0) break;
      out.append(block, static_cast<size_t>(n));
      at += n;
    }
    return out;
  }
  const std::string& Path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

// Counts of outcomes, printed at exit when SIFTA_FUZZ_STATS is set: how
// many inputs reached the deeper checks.
class Stats {
 public:
  static void Count(const char* outcome) {
    static Stats stats;
    for (auto& [name, n] : stats.counts_)
      if (name == outcome) {
        ++n;
        return;
      }
    stats.counts_.emplace_back(outcome, 1);
  }
  ~Stats() {
    if (!std::getenv("SIFTA_FUZZ_STATS")) return;
    for (auto& [name, n] : counts_) std::fprintf(stderr, "outcome %s: %ld\n", name.c_str(), n);
  }

 private:
  std::vector<std::pair<std::string, long>> counts_;
};

// The lowest free file descriptor: the same before and after a call that
// must close what it opens.
inline int LowestFreeDescriptor() {
  const int fd = ::dup(0);
  if (fd >= 0) ::close(fd);
  return fd;
}

}  // namespace fuzz
