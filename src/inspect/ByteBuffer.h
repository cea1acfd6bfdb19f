// A byte buffer for a line of any length. Growing it never fills the new
// bytes and adds only an eighth once it is large, and it is resized in place
// by the allocator: for a large block the C library moves the pages instead
// of copying them (mremap on Linux), so that a line of n bytes costs about n
// bytes of memory while it is read, not the 2n to 4n of a doubling vector.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>

namespace sifta {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ByteBuffer(ByteBuffer&& other) noexcept { swap(*this, other); }
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    swap(*this, other);
    return *this;
  }
  ~ByteBuffer() { std::free(data_); }

  char* data() { return data_; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  char& operator[](std::size_t i) { return data_[i]; }
  char operator[](std::size_t i) const { return data_[i]; }

  // At least `needed` bytes, the bytes held kept: doubles while small, then
  // grows by an eighth, never beyond `most` (unless `needed` is more).
  void Grow(std::size_t needed, std::size_t most = static_cast<std::size_t>(-1)) {
    if (needed <= size_) return;
    const std::size_t step = size_ < kDoublingLimit ? size_ : size_ / 8;
    const std::size_t size = std::max(needed, std::min(size_ + step, most));
    void* grown = std::realloc(data_, size);
    if (!grown) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    size_ = size;
  }

  friend void swap(ByteBuffer& a, ByteBuffer& b) noexcept {
    std::swap(a.data_, b.data_);
    std::swap(a.size_, b.size_);
  }

  // Exactly `size` bytes of undefined content; a larger block is given back.
  void Reset(std::size_t size) {
    if (size == size_) return;
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    Grow(size);
  }

 private:
  static constexpr std::size_t kDoublingLimit = 1u << 20;

  char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace sifta
