// Code page 932 to UTF-8 at the pace of a copy, for extracts written in
// UTF-8. Every single byte and every pair of a lead and a trail byte is
// converted once, by the system's own tables (platform/CodePage932.h), into
// a table: so the result is exactly the system's (the NEC and IBM
// extensions, the user-defined area to the private use area, 0x5C to
// U+005C, half-width katakana to U+FF61-U+FF9F), and a byte sequence the
// system cannot convert is refused, never replaced. Runs of ASCII are copied
// eight bytes at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sifta {

// Before the heading of a UTF-8 extract with a byte order mark.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

class Cp932ToUtf8Table {
 public:
  // UTF-8 bytes per code page 932 byte, at most (a half-width katakana).
  static constexpr std::size_t kMostGrowth = 3;
  // Bytes the converter may write past what it gives (its eight-byte copies).
  static constexpr std::size_t kSlack = 8;

  // Built on first use; safe to use from any thread.
  static const Cp932ToUtf8Table& Get();

  // The UTF-8 form of `text` written to `out`, which has room for
  // kMostGrowth * text.size() + kSlack bytes. `written` is its size when
  // every byte converted; else `badAt` is the offset of the first character
  // with no Unicode form (a lone lead byte at the end included) and
  // `badSize` its bytes (1 or 2), and `written` what came before it.
  struct Result {
    std::size_t written = 0;
    bool ok = true;
    std::size_t badAt = 0;
    std::size_t badSize = 0;
  };
  Result Convert(std::string_view text, char* out) const;

 private:
  Cp932ToUtf8Table();
  // A character's UTF-8 bytes in the low three bytes, their count in the
  // high byte; 0: no Unicode form (for a single byte: none, or a lead byte).
  using Entry = std::uint32_t;
  std::array<Entry, 256> single_{};
  std::array<bool, 256> lead_{};
  std::array<std::array<Entry, 256>, 0x80> pairs_{};  // by lead byte - 0x80, then trail byte
};

}  // namespace sifta
