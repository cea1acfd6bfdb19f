#include "scan/Scanning.h"

#include <cstring>

namespace sifta {

namespace {

unsigned char ByteAt(std::string_view text, int position) {
  return static_cast<unsigned char>(text[static_cast<size_t>(position - 1)]);
}

enum class ScanKind { Find, FindNth, Count, Delete };

// The common scan of Find/FindNth/Count/Delete. The byte class is followed
// forward from `start` (classified once with ByteClassAt): a byte after a lead
// byte is a trail byte, every other byte is classified by its own value. This
// gives the same classes as ByteClassAt at every position, in one pass.
//
// For Delete, `text` is edited through `editable`; `view` follows it.
struct ScanResult {
  int position = 0;  // Find/FindNth: the match; Count: the count; Delete: 1
  bool unterminated = false;
};

ScanResult CommonScan(ScanKind kind, std::string* editable, std::string_view view, int start, int end,
                      std::string_view sought, int n, std::string_view quote) {
  const int soughtLength = static_cast<int>(sought.size());
  int textLength = static_cast<int>(view.size());
  if (start < 1) start = 1;
  if (end == 0 || end > textLength) end = textLength;
  int last = end - soughtLength + 1;
  const bool quoting = !quote.empty();
  const char quoteByte = quoting ? quote[0] : '\0';

  int count = 0;
  int p = start;
  bool isTrail = p <= textLength && ByteClassAt(view, p) == ByteClass::Trail;
  while (p <= last) {
    if (isTrail) {
      isTrail = false;
      ++p;
      continue;
    }
    const unsigned char byte = ByteAt(view, p);
    if (quoting && static_cast<char>(byte) == quoteByte) {
      // The closing quote, at a single-byte position up to the end of the text.
      int q = 0;
      bool afterLead = false;
      for (int i = p + 1; i <= textLength; ++i) {
        const unsigned char b = ByteAt(view, i);
        if (afterLead) {
          afterLead = false;
        } else if (static_cast<char>(b) == quoteByte) {
          q = i;
          break;
        } else if (IsLeadByte(b)) {
          afterLead = true;
        }
      }
      if (q == 0) return {0, true};
      p = q + 1;
      isTrail = false;
      continue;
    }
    if (view.compare(static_cast<size_t>(p - 1), sought.size(), sought) == 0) {
      switch (kind) {
        case ScanKind::Find:
          return {p, false};
        case ScanKind::FindNth:
          if (++count == n) return {p, false};
          break;
        case ScanKind::Count:
          ++count;
          break;
        case ScanKind::Delete:
          editable->erase(static_cast<size_t>(p - 1), sought.size());
          view = *editable;
          textLength = static_cast<int>(view.size());
          last -= soughtLength;
          // The byte before p is unchanged, so p is still no trail byte.
          continue;
      }
    }
    isTrail = IsLeadByte(byte);
    ++p;
  }
  switch (kind) {
    case ScanKind::Find:
    case ScanKind::FindNth:
      return {0, false};
    case ScanKind::Count:
      return {count, false};
    case ScanKind::Delete:
      return {1, false};
  }
  return {0, false};
}

}  // namespace

ByteClass ByteClassAt(std::string_view text, int position) {
  int run = 0;
  for (int i = position - 1; i >= 1 && IsLeadByte(ByteAt(text, i)); --i) ++run;
  if (run % 2 == 1) return ByteClass::Trail;
  return IsLeadByte(ByteAt(text, position)) ? ByteClass::Lead : ByteClass::Single;
}

int FindUnquoted(std::string_view text, int start, int end, std::string_view sought, std::string_view quote) {
  const ScanResult r = CommonScan(ScanKind::Find, nullptr, text, start, end, sought, 0, quote);
  return r.unterminated ? -1 : r.position;
}

int FindNthUnquoted(std::string_view text, std::string_view sought, int n, std::string_view quote) {
  const ScanResult r = CommonScan(ScanKind::FindNth, nullptr, text, 1, 0, sought, n, quote);
  return r.unterminated ? -1 : r.position;
}

int CountUnquoted(std::string_view text, int start, int end, std::string_view sought,
                  std::string_view quote) {
  const ScanResult r = CommonScan(ScanKind::Count, nullptr, text, start, end, sought, 0, quote);
  return r.unterminated ? -1 : r.position;
}

int DeleteUnquoted(std::string& text, std::string_view sought, std::string_view quote) {
  const ScanResult r = CommonScan(ScanKind::Delete, &text, text, 1, 0, sought, 0, quote);
  return r.unterminated ? -1 : 1;
}

std::string TrimBlanks(std::string_view side, std::string_view text) {
  const bool left = side == "B" || side == "L";
  const bool right = side == "B" || side == "R";
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  size_t from = 0;
  size_t to = text.size();
  if (left)
    while (from < to && blank(text[from])) ++from;
  if (right)
    while (to > from && blank(text[to - 1])) --to;
  return std::string(text.substr(from, to - from));
}

ItemSpan LocateItems(std::string_view line, int startPos, int first, int last) {
  const int length = static_cast<int>(line.size());
  const ItemSpan pastTheEnd{length + 1, length, 0, last - first};
  int pos = startPos - 1;
  for (int i = 1; i < first; ++i) {
    if (pos >= length) return pastTheEnd;  // the previous item ended the line
    pos = FindUnquoted(line, pos + 1, length, ",", "\"");
    if (pos <= 0) return pastTheEnd;
  }
  ItemSpan span;
  span.start = pos + 1;
  const int wanted = last - first + 1;
  for (int covered = 1; covered <= wanted; ++covered) {
    pos = (pos + 1 > length) ? 0 : FindUnquoted(line, pos + 1, length, ",", "\"");
    if (pos <= 0) {  // no comma after item first+covered-1: the line ends here
      span.end = length;
      span.missingItems = wanted - covered;
      span.length = span.end - span.start + 1;
      return span;
    }
  }
  span.end = pos - 1;
  span.length = span.end - span.start + 1;
  return span;
}

int IsAllDigits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return -1;
  return 0;
}

}  // namespace sifta
