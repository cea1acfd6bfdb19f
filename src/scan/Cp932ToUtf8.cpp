#include "scan/Cp932ToUtf8.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>

#include "platform/CodePage932.h"

namespace sifta {

namespace {

using Entry = std::uint32_t;
// An entry is stored by one four-byte copy, its first UTF-8 byte first.
static_assert(std::endian::native == std::endian::little);

// One character's UTF-8 form as a table entry; 0 when it has none or is
// longer than three bytes (no code page 932 character is).
Entry EntryOf(std::string_view cp932) {
  const std::optional<std::string> utf8 = platform::ConvertCp932ToUtf8(cp932);
  if (!utf8 || utf8->empty() || utf8->size() > 3) return 0;
  Entry entry = static_cast<Entry>(utf8->size()) << 24;
  for (std::size_t i = 0; i < utf8->size(); ++i)
    entry |= static_cast<Entry>(static_cast<unsigned char>((*utf8)[i])) << (8 * i);
  return entry;
}

bool IsLead(unsigned byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

}  // namespace

Cp932ToUtf8Table::Cp932ToUtf8Table() {
  for (unsigned byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    lead_[byte] = IsLead(byte);
    if (lead_[byte]) {
      for (unsigned trail = 0; trail < 256; ++trail) {
        const char pair[2] = {c, static_cast<char>(trail)};
        pairs_[byte - 0x80][trail] = EntryOf(std::string_view(pair, 2));
      }
    } else {
      single_[byte] = EntryOf(std::string_view(&c, 1));
    }
  }
}

const Cp932ToUtf8Table& Cp932ToUtf8Table::Get() {
  static const Cp932ToUtf8Table table;
  return table;
}

Cp932ToUtf8Table::Result Cp932ToUtf8Table::Convert(std::string_view text, char* out) const {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  char* const start = out;
  std::size_t at = 0;
  while (at < size) {
    // Eight ASCII bytes at a time, as they stand.
    if (size - at >= 8) {
      std::uint64_t word;
      std::memcpy(&word, in + at, 8);
      if ((word & 0x8080808080808080u) == 0) {
        std::memcpy(out, &word, 8);
        out += 8;
        at += 8;
        continue;
      }
    }
    const unsigned byte = in[at];
    if (byte < 0x80) {
      *out++ = static_cast<char>(byte);
      ++at;
      continue;
    }
    Entry entry;
    std::size_t width = 1;
    if (lead_[byte]) {
      width = 2;
      entry = at + 1 < size ? pairs_[byte - 0x80][in[at + 1]] : 0;
    } else {
      entry = single_[byte];
    }
    if (entry == 0) {
      Result bad;
      bad.written = static_cast<std::size_t>(out - start);
      bad.ok = false;
      bad.badAt = at;
      bad.badSize = std::min(width, size - at);
      return bad;
    }
    // Four bytes stored, the entry's count of them kept.
    std::memcpy(out, &entry, 4);
    out += entry >> 24;
    at += width;
  }
  Result done;
  done.written = static_cast<std::size_t>(out - start);
  return done;
}

}  // namespace sifta
