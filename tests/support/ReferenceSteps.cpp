#include "support/ReferenceSteps.h"

#include <algorithm>

namespace sifta {

namespace {

constexpr std::string_view kQuote = "\"";
constexpr std::string_view kComma = ",";

std::string_view Bytes(std::string_view line, int from, int to) {
  if (to < from) return {};
  return line.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

// The span's bytes and its comma, then one empty item for each item the line
// does not hold.
void AppendSpan(std::string_view line, const ItemSpan& span, std::string& out) {
  out.append(Bytes(line, span.start, span.end));
  out.append(static_cast<size_t>(span.missingItems) + 1, ',');
}

}  // namespace

void ZeroQuotedItems(std::string_view line, const ItemSpan& span, std::string& out) {
  const int e = span.end;
  int p = span.start;
  while (p <= e) {  // an empty span (its end may be 0) holds no quote
    const int q = FindUnquoted(line, p, e, kQuote, "");
    if (q == 0) break;
    const int c = FindUnquoted(line, q, e, kComma, kQuote);
    if (c < 0) {
      // The quote at q never closes: the rest of the span stands as it is.
      break;
    }
    out.append(Bytes(line, p, q - 1));
    out.append("0,");
    if (c == 0) {  // the quoted item was the last of the span
      out.append(static_cast<size_t>(span.missingItems), ',');
      return;
    }
    p = c + 1;
  }
  out.append(Bytes(line, p, e));
  out.append(static_cast<size_t>(span.missingItems) + 1, ',');
}

void ZeroSpecialStrings(const ExtractionPlan& plan, std::string& out, int bodyStart) {
  int p = bodyStart;
  int c = 0;
  do {
    const int length = static_cast<int>(out.size());
    if (p > length + 1) return;
    c = p <= length ? FindUnquoted(out, p, length, kComma, "") : 0;
    const int fieldLength = c != 0 ? c - p : length - p + 1;
    bool replaced = false;
    if (fieldLength >= plan.specialMinLength && fieldLength <= plan.specialMaxLength) {
      const std::string_view field = Bytes(out, p, p + fieldLength - 1);
      for (const SpecialString& special : plan.specialStrings) {
        if (special.length == fieldLength && field == special.text) {
          out[static_cast<size_t>(p - 1)] = '0';
          out.erase(static_cast<size_t>(p), static_cast<size_t>(fieldLength - 1));
          p += 2;
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) p = c + 1;
  } while (c != 0);
}

std::string BuildOutputLine(const ExtractionPlan& plan, std::string_view line, bool zeroing) {
  std::string out;
  for (const NumberRange& range : plan.ridRanges)
    AppendSpan(line, LocateItems(line, 1, range.first, range.last), out);
  const int bodyStart = static_cast<int>(out.size()) + 1;
  const bool zeroQuoted = zeroing && plan.zeroNonNumeric;
  for (const CellRule& rule : plan.cellRules) {
    ForEachBlock(rule, [&](int f, int l) {
      const ItemSpan span = LocateItems(line, 1, f, l);
      if (zeroQuoted)
        ZeroQuotedItems(line, span, out);
      else
        AppendSpan(line, span, out);
    });
  }
  if (!out.empty()) out.pop_back();
  if (zeroing && plan.zeroSpecial) ZeroSpecialStrings(plan, out, bodyStart);
  return out;
}

std::string BuildRecordKey(const ExtractionPlan& plan, std::string_view line) {
  std::string key;
  const int lineLength = static_cast<int>(line.size());
  for (const KeyRange& range : plan.keyRanges) {
    if (plan.recordMode == RecordMode::Code) {
      const int from = range.startPos;
      const int to = std::min(range.startPos + range.length - 1, lineLength);
      if (from >= 1) key.append(Bytes(line, from, to));
    } else {
      const ItemSpan span = LocateItems(line, 1, range.firstItem, range.lastItem);
      key.append(Bytes(line, span.start, span.end));
    }
  }
  DeleteUnquoted(key, kQuote, "");
  DeleteUnquoted(key, kComma, "");
  return key;
}

bool KeyMatches(const ExtractionPlan& plan, std::string_view key) {
  if (plan.recordMode == RecordMode::Value && static_cast<int>(key.size()) != plan.keyLength) return false;
  for (const CodeRange& range : plan.codeRanges)
    if (std::string_view(range.low) <= key && key <= std::string_view(range.high)) return true;
  return false;
}

}  // namespace sifta
