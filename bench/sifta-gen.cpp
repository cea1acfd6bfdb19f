// sifta-gen SIZE_MB OUT.csv [seed]
//
// Writes a statistics table in code page 932 of about SIZE_MB megabytes
// (10^6 bytes), the same bytes for the same size and seed:
//  - a standard heading: five RID items with double-byte names, then the
//    BODY cells ｾﾙ1 .. ｾﾙ40;
//  - RID items: the area code (7 digits, fixed width, item 1: the key), the
//    area name (double-byte, quoted, now and then with a comma inside; some
//    names have trail bytes 0x5C and 0x40), the year, the industry code
//    (3 digits in double quotes) and a size class;
//  - cells: numbers of any width, decimals, empty cells, quoted "X"
//    (confidential) and "-" (none) marks, quoted numbers with a comma;
//  - rows sorted by area code, INDUSTRIES rows per code; CR LF line ends.
//
// Prints one line to standard output: records, codes, first and last code.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scan/Cp932.h"

namespace {

constexpr int kCells = 40;
constexpr int kIndustries = 20;
constexpr int kFirstCode = 1000000;  // 7 digits: 9 million codes, some 40 GB

// xorshift64*: the same numbers on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }
  int Below(int n) { return static_cast<int>((Next() >> 33) % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_;
};

void AppendNumber(std::string& out, std::uint64_t value) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) out += digits[--n];
}

void AppendFixed(std::string& out, int value, int width) {
  std::string digits;
  AppendNumber(digits, static_cast<std::uint64_t>(value));
  out.append(static_cast<size_t>(std::max(0, width - static_cast<int>(digits.size()))), '0');
  out += digits;
}

void AppendCell(std::string& out, Random& random) {
  const int kind = random.Below(100);
  if (kind < 55) {
    AppendNumber(out, static_cast<std::uint64_t>(random.Below(100000)));
  } else if (kind < 72) {
    AppendNumber(out, static_cast<std::uint64_t>(random.Below(100)));
  } else if (kind < 82) {
    AppendNumber(out, static_cast<std::uint64_t>(random.Below(10000)));
    out += '.';
    AppendNumber(out, static_cast<std::uint64_t>(random.Below(10)));
  } else if (kind < 86) {
    out += "\"X\"";
  } else if (kind < 90) {
    out += "\"-\"";
  } else if (kind < 92) {  // a quoted number with a thousands comma
    out += '"';
    AppendNumber(out, static_cast<std::uint64_t>(1 + random.Below(999)));
    out += ',';
    AppendFixed(out, random.Below(1000), 3);
    out += '"';
  } else if (kind < 97) {
    // empty
  } else {
    AppendNumber(out, static_cast<std::uint64_t>(random.Below(10000000)));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: sifta-gen SIZE_MB OUT.csv [seed]\n");
    return 64;
  }
  const double megabytes = std::atof(argv[1]);
  const std::uint64_t seed = argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 1;
  if (megabytes <= 0) {
    std::fprintf(stderr, "sifta-gen: SIZE_MB must be above 0\n");
    return 64;
  }
  const auto target = static_cast<std::uint64_t>(megabytes * 1e6);
  std::FILE* file = std::fopen(argv[2], "wb");
  if (!file) {
    std::perror(argv[2]);
    return 2;
  }

  std::string heading = sifta::Sj("地域コード,地域名,調査年,産業分類,規模");
  for (int i = 1; i <= kCells; ++i) heading += sifta::Sj(",ｾﾙ") + std::to_string(i);
  heading += "\r\n";

  // Area names; 表 (0x95 0x5C), 能 (0x94 0x5C), ソ (0x83 0x5C) and 　 (0x81 0x40)
  // put ASCII-like trail bytes into the data.
  const std::vector<std::string> names = {
      sifta::Sj("千代田区"),     sifta::Sj("中央区"), sifta::Sj("港区"),     sifta::Sj("新宿区"),
      sifta::Sj("能代市"),       sifta::Sj("表郷村"), sifta::Sj("ソウル町"), sifta::Sj("大字　東"),
      sifta::Sj("札幌市中央区"), sifta::Sj("那覇市"), sifta::Sj("十日町市"), sifta::Sj("北区,南部"),
  };

  Random random(seed);
  std::string buffer = heading;
  std::uint64_t written = 0;
  std::uint64_t records = 0;
  int code = kFirstCode;
  while (written + buffer.size() < target) {
    const std::string& name = names[static_cast<size_t>(random.Below(static_cast<int>(names.size())))];
    const int year = 2015 + random.Below(8);
    for (int industry = 1; industry <= kIndustries; ++industry) {
      AppendNumber(buffer, static_cast<std::uint64_t>(code));
      buffer += ",\"";
      buffer += name;
      buffer += "\",";
      AppendNumber(buffer, static_cast<std::uint64_t>(year));
      buffer += ",\"";
      AppendFixed(buffer, industry, 3);
      buffer += "\",";
      AppendNumber(buffer, static_cast<std::uint64_t>(1 + random.Below(9)));
      for (int cell = 0; cell < kCells; ++cell) {
        buffer += ',';
        AppendCell(buffer, random);
      }
      buffer += "\r\n";
      ++records;
    }
    ++code;
    if (buffer.size() >= (1u << 20)) {
      if (std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size()) {
        std::perror(argv[2]);
        return 2;
      }
      written += buffer.size();
      buffer.clear();
    }
  }
  if (std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size() || std::fclose(file) != 0) {
    std::perror(argv[2]);
    return 2;
  }
  written += buffer.size();
  std::printf("records %llu codes %d first %d last %d bytes %llu\n", static_cast<unsigned long long>(records),
              code - kFirstCode, kFirstCode, code - 1, static_cast<unsigned long long>(written));
  return 0;
}
