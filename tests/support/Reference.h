// Tiny, literal re-implementations of the definitions that the fuzz targets
// check the engine against. They follow the written rules step by step and
// care nothing for speed: a byte class is worked out afresh at every position,
// a closing quote is looked for byte by byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ref {

inline unsigned char At(std::string_view text, int position) {
  return static_cast<unsigned char>(text[static_cast<size_t>(position - 1)]);
}

inline bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

enum class Class { Single, Lead, Trail };

// The run of lead-byte values just before `position`: odd makes it a trail
// byte; else lead or single by its own value.
inline Class ClassAt(std::string_view text, int position) {
  int run = 0;
  for (int i = position - 1; i >= 1 && IsLead(At(text, i)); --i) ++run;
  if (run % 2 == 1) return Class::Trail;
  return IsLead(At(text, position)) ? Class::Lead : Class::Single;
}

enum class Kind { Find, FindNth, Count, Delete };

struct ScanOutcome {
  int value = 0;     // position, count or 1; -1 on an unterminated stretch
  std::string text;  // Delete: the text afterwards
};

// The common scan, step for step.
inline ScanOutcome Scan(Kind kind, std::string text, int start, int end, std::string_view sought, int n,
                        std::string_view quote) {
  const int L = static_cast<int>(sought.size());
  if (kind == Kind::FindNth || kind == Kind::Delete) {
    start = 1;
    end = static_cast<int>(text.size());
  } else if (end == 0) {
    end = static_cast<int>(text.size());
  }
  int last = end - L + 1;
  int count = 0;
  int p = start;
  while (p <= last) {
    if (ClassAt(text, p) == Class::Trail) {
      ++p;
      continue;
    }
    if (!quote.empty() && static_cast<char>(At(text, p)) == quote[0]) {
      int q = 0;
      for (int i = p + 1; i <= static_cast<int>(text.size()); ++i) {
        if (ClassAt(text, i) == Class::Single && static_cast<char>(At(text, i)) == quote[0]) {
          q = i;
          break;
        }
      }
      if (q == 0) return {-1, text};
      p = q + 1;
      continue;
    }
    if (std::string_view(text).substr(static_cast<size_t>(p - 1), static_cast<size_t>(L)) == sought) {
      switch (kind) {
        case Kind::Find:
          return {p, text};
        case Kind::FindNth:
          if (++count == n) return {p, text};
          break;
        case Kind::Count:
          ++count;
          break;
        case Kind::Delete:
          text.erase(static_cast<size_t>(p - 1), static_cast<size_t>(L));
          last -= L;
          continue;
      }
    }
    ++p;
  }
  switch (kind) {
    case Kind::Find:
    case Kind::FindNth:
      return {0, text};
    case Kind::Count:
      return {count, text};
    case Kind::Delete:
      return {1, text};
  }
  return {0, text};
}

inline int Find(std::string_view text, int start, int end, std::string_view sought, std::string_view quote) {
  return Scan(Kind::Find, std::string(text), start, end, sought, 0, quote).value;
}
inline int Count(std::string_view text, int start, int end, std::string_view sought, std::string_view quote) {
  return Scan(Kind::Count, std::string(text), start, end, sought, 0, quote).value;
}
inline int FindNth(std::string_view text, std::string_view sought, int n, std::string_view quote) {
  return Scan(Kind::FindNth, std::string(text), 1, 0, sought, n, quote).value;
}
// The text without every occurrence; `result` 1 or -1.
inline std::string Delete(std::string_view text, std::string_view sought, std::string_view quote,
                          int* result = nullptr) {
  ScanOutcome o = Scan(Kind::Delete, std::string(text), 1, 0, sought, 0, quote);
  if (result) *result = o.value;
  return o.text;
}

inline std::string Trim(std::string_view side, std::string_view text) {
  const bool left = side == "B" || side == "L";
  const bool right = side == "B" || side == "R";
  size_t from = 0, to = text.size();
  if (left)
    while (from < to && static_cast<unsigned char>(text[from]) <= 0x20) ++from;
  if (right)
    while (to > from && static_cast<unsigned char>(text[to - 1]) <= 0x20) --to;
  return std::string(text.substr(from, to - from));
}

// The items of a CSV line as the chain of comma searches gives them: item i
// runs from Start(i) to End(i) (1-based, End = Start - 1 for an empty item).
// A search that meets an unterminated stretch ends the chain: the item in
// which the quote stands runs to the end of the line.
struct Items {
  explicit Items(std::string_view line) : length(static_cast<int>(line.size())) {
    int pos = 0;
    for (;;) {
      const int c = Find(line, pos + 1, length, ",", "\"");
      if (c <= 0) {
        unterminated = c < 0;
        break;
      }
      commas.push_back(c);
      pos = c;
    }
  }
  int CountItems() const { return static_cast<int>(commas.size()) + 1; }
  int Start(int i) const { return i == 1 ? 1 : commas[static_cast<size_t>(i - 2)] + 1; }
  int End(int i) const {
    return i <= static_cast<int>(commas.size()) ? commas[static_cast<size_t>(i - 1)] - 1 : length;
  }

  int length;
  bool unterminated = false;
  std::vector<int> commas;
};

struct Span {
  int start, end, length, missing;
};

// What LocateItems(line, 1, first, last) must give: the literal steps where
// the line holds the items, the documented span within the line where not.
inline Span Locate(std::string_view line, int first, int last) {
  const Items items(line);
  const int k = items.CountItems();
  const int len = static_cast<int>(line.size());
  if (k < first) return {len + 1, len, 0, last - first};
  const int s = items.Start(first);
  if (last <= k) return {s, items.End(last), items.End(last) - s + 1, 0};
  return {s, len, len - s + 1, last - k};
}

// LocateItems by its literal steps (valid where the line holds `last` items
// and no unterminated stretch).
inline Span LocateLiteral(std::string_view line, int startPos, int first, int last) {
  const int len = static_cast<int>(line.size());
  int pos = startPos - 1;
  for (int i = 1; i <= first - 1; ++i) pos = Find(line, pos + 1, len, ",", "\"");
  const int start = pos + 1;
  for (int i = 1; i <= last - first + 1; ++i) pos = Find(line, pos + 1, len, ",", "\"");
  const int end = pos == 0 ? len : pos - 1;
  return {start, end, end - start + 1, 0};
}

// The lines of a file by the line rule: CR ends a line, an LF right after it
// belongs to the line end, any other LF is ordinary, 0x1A or the physical end
// ends the text, and a text that ends with a line end has no further line.
// `ends` gets the offset just past each line's end (its CR LF, CR, or the
// end of the text).
inline std::vector<std::string> Lines(std::string_view bytes, std::vector<size_t>* ends = nullptr) {
  std::vector<std::string> lines;
  const size_t stop = std::min(bytes.find('\x1A'), bytes.size());
  size_t start = 0;
  for (size_t i = 0; i < stop; ++i) {
    if (bytes[i] != '\r') continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (i + 1 < stop && bytes[i + 1] == '\n') ++i;
    start = i + 1;
    if (ends) ends->push_back(start);
  }
  if (start < stop) {
    lines.emplace_back(bytes.substr(start, stop - start));
    if (ends) ends->push_back(stop);
  }
  return lines;
}

}  // namespace ref
