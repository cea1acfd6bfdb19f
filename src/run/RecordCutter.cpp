#include "run/RecordCutter.h"

#include <algorithm>
#include <cstring>

#include "scan/Cp932ToUtf8.h"
#include "scan/Scanning.h"

namespace sifta {

namespace {

// 16 bytes moved through a register: one vector load or store on any
// processor with 16-byte vectors (SSE2, NEON), two words elsewhere.
struct Bytes16 {
  unsigned char bytes[16];
};
inline Bytes16 Load16(const char* from) {
  Bytes16 v;
  std::memcpy(&v, from, 16);
  return v;
}
inline void Store16(char* to, const Bytes16& v) { std::memcpy(to, &v, 16); }

}  // namespace

RecordCutter::RecordCutter(const ExtractionPlan& plan, const FileOutput& output)
    : counts_(plan.countRanges), output_(output) {
  // Item numbers are at least 1 by the plan's invariants; a piece that broke
  // them would still be cut within the line.
  auto addPiece = [this](int first, int last) {
    first = std::max(first, 1);
    last = std::max(last, first);
    pieces_.push_back({first, last});
    wanted_ = std::max(wanted_, last);
  };
  for (const NumberRange& range : plan.ridRanges) addPiece(range.first, range.last);
  ridPieces_ = pieces_.size();
  for (const CellRule& rule : plan.cellRules) ForEachBlock(rule, addPiece);

  zeroQuoted_ = plan.zeroNonNumeric;
  zeroSpecial_ = plan.zeroSpecial;

  // Adjacent pieces give the same bytes as one piece (the comma between them
  // is the line's own), so they are joined: all items of a record become one
  // copy. RID and BODY pieces stay apart when the BODY part is zeroed.
  std::vector<Piece> joined;
  size_t joinedRid = 0;
  for (size_t i = 0; i < pieces_.size(); ++i) {
    const bool body = i >= ridPieces_;
    const bool sameKind =
        joined.empty() || body == (joined.size() > joinedRid) || (!zeroQuoted_ && !zeroSpecial_);
    if (!joined.empty() && sameKind && joined.back().last + 1 == pieces_[i].first)
      joined.back().last = pieces_[i].last;
    else
      joined.push_back(pieces_[i]);
    if (!body) joinedRid = joined.size();
  }
  pieces_ = std::move(joined);
  ridPieces_ = joinedRid;
  wholeLines_ = pieces_.size() == 1 && pieces_[0].first == 1 && !zeroQuoted_ && !zeroSpecial_ &&
                !output_.utf8 && output_.recordPrefix.empty();
  if (zeroSpecial_) {
    specialMin_ = plan.specialMinLength;
    specialMax_ = plan.specialMaxLength;
    for (const SpecialString& special : plan.specialStrings) {
      if (special.length < 0 || static_cast<size_t>(special.length) != special.text.size())
        continue;  // can never equal a field of its stated length
      const size_t length = special.text.size();
      if (specialsByLength_.size() <= length) specialsByLength_.resize(length + 1);
      std::uint64_t word = 0;
      std::memcpy(&word, special.text.data(), std::min<size_t>(length, 8));
      specialsByLength_[length].push_back({special.text, word});
      if (length < 64) specialLengths_ |= std::uint64_t{1} << length;
      shortSpecialList_.push_back({length, word});
    }
    noEmptySpecial_ = specialsByLength_.empty() || specialsByLength_[0].empty();
    shortSpecials_ = shortSpecialList_.size() <= 8 &&
                     std::all_of(shortSpecialList_.begin(), shortSpecialList_.end(),
                                 [](const ShortSpecial& special) { return special.length <= 8; });
  }

  mode_ = plan.recordMode;
  extractAllExcept_ = plan.extractAllExcept;
  stopsEarly_ = (mode_ == RecordMode::Code || mode_ == RecordMode::Value) &&
                plan.grouping == CodeGrouping::GroupedInOrder && !plan.extractAllExcept;
  keyRanges_ = plan.keyRanges;
  codeRanges_ = plan.codeRanges;
  if (mode_ == RecordMode::Value) {
    valueKeyLength_ = static_cast<size_t>(std::max(plan.keyLength, 0));
    for (KeyRange& range : keyRanges_) {
      range.firstItem = std::max(range.firstItem, 1);
      range.lastItem = std::max(range.lastItem, range.firstItem);
      if (range.firstItem > 1) keyEnds_.push_back(range.firstItem - 1);
      keyEnds_.push_back(range.lastItem);
    }
  }
  // The item ends that the pieces ask for: the end of the item before each
  // first item, and each last item.
  for (const Piece& piece : pieces_) {
    if (piece.first > 1) itemEnds_.push_back(piece.first - 1);
    itemEnds_.push_back(piece.last);
  }
  for (std::vector<int>* ends : {&itemEnds_, &keyEnds_}) {
    std::sort(ends->begin(), ends->end());
    ends->erase(std::unique(ends->begin(), ends->end()), ends->end());
  }
  fewEnds_ = itemEnds_.size() * 4 < static_cast<size_t>(wanted_);
  auto slotOf = [](const std::vector<int>& ends, int item) {
    return static_cast<int>(std::lower_bound(ends.begin(), ends.end(), item) - ends.begin());
  };
  for (Piece& piece : pieces_) {
    piece.beginSlot = piece.first > 1 ? slotOf(itemEnds_, piece.first - 1) : -1;
    piece.endSlot = slotOf(itemEnds_, piece.last);
  }
  if (mode_ == RecordMode::Value) {
    for (const KeyRange& range : keyRanges_) {
      keyPieces_.push_back({range.firstItem, range.lastItem,
                            range.firstItem > 1 ? slotOf(keyEnds_, range.firstItem - 1) : -1,
                            slotOf(keyEnds_, range.lastItem)});
    }
  }

  rangesAscend_ = true;
  for (size_t i = 0; i < codeRanges_.size(); ++i) {
    if (codeRanges_[i].high < codeRanges_[i].low) rangesAscend_ = false;
    if (i > 0 && !(codeRanges_[i - 1].high < codeRanges_[i].low)) rangesAscend_ = false;
  }
}

void RecordCutter::Load(std::string_view line) {
  line_ = line;
  located_ = false;
}

void RecordCutter::Locate() {
  if (located_) return;
  // Zeroing quoted items looks at every item of a piece. Otherwise only the
  // ends of the pieces are needed; storing every item end is cheaper than
  // picking out a few, unless they are few among many (all items of a wide
  // record, say).
  if (zeroQuoted_)
    items_.Locate(line_, wanted_, true, true);
  else if (fewEnds_)
    items_.LocateEnds(line_, itemEnds_);
  else
    items_.Locate(line_, wanted_, true, false);
  located_ = true;
}

inline void RecordCutter::CopyShort(char* to, const char* from, size_t count) {
  if (count > 16 && count <= 64) {
    // Two or four 16-byte moves, the last ones overlapping the first.
    const Bytes16 a = Load16(from);
    const Bytes16 b = Load16(from + count - 16);
    if (count > 32) {
      const Bytes16 c = Load16(from + 16);
      const Bytes16 d = Load16(from + count - 32);
      Store16(to + 16, c);
      Store16(to + count - 32, d);
    }
    Store16(to, a);
    Store16(to + count - 16, b);
  } else if (count >= 8 && count <= 16) {
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + count - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + count - 8, &tail, 8);
  } else if (count >= 4 && count < 8) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + count - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + count - 4, &tail, 4);
  } else if (count < 4) {
    for (size_t i = 0; i < count; ++i) to[i] = from[i];
  } else {
    std::memcpy(to, from, count);
  }
}

inline RecordCutter::Bytes RecordCutter::SpanOf(const Piece& piece, bool listed) const {
  const int count = items_.Count();
  if (!listed) return {items_.Begin(piece.first), items_.End(std::min(piece.last, count))};
  const std::uint32_t from =
      piece.beginSlot < 0 ? 0 : items_.ListedEnd(static_cast<size_t>(piece.beginSlot)) + 1;
  const std::uint32_t to = piece.last <= count ? items_.ListedEnd(static_cast<size_t>(piece.endSlot))
                                               : static_cast<std::uint32_t>(line_.size());
  return {from, to};
}

// Items first..last joined by commas, an item holding a double quote written
// from its first quote on as 0, an item whose quote never closes as it stands.
// The items between two quoted ones go out in one copy.
void RecordCutter::PutZeroed(int first, int last) {
  const std::vector<int>& quoted = items_.QuotedItems();
  int next = first;  // the first item not written yet
  for (auto it = std::lower_bound(quoted.begin(), quoted.end(), first); it != quoted.end() && *it <= last;
       ++it) {
    const int item = *it;
    // The items before it (with the comma after them) in the same copy.
    if (item == items_.UnterminatedItem()) {
      Put(items_.Begin(next), items_.End(item));
    } else {
      Put(items_.Begin(next), static_cast<std::uint32_t>(items_.FirstQuote(item)));
      Reserve(1);
      out_[size_++] = '0';
    }
    if (item < last) PutComma();
    next = item + 1;
  }
  if (next <= last) Put(items_.Begin(next), items_.End(last));
}

// PutZeroed, and every field (an item as written) that equals a special
// string written as 0. The items between two changed ones go out in one copy.
// Most items are neither quoted nor special: the loop over them reads two
// arrays and, for an item of a special string's length, compares one word.
void RecordCutter::PutZeroedWithSpecials(int first, int last) {
  const std::int32_t* const ends = items_.EndsArray();
  const std::int32_t* const quotes = items_.FirstQuotesArray();
  // A field beginning at or before this offset can be read 8 bytes on.
  const std::int64_t wordSafe = static_cast<std::int64_t>(line_.size()) - 8;
  std::uint32_t pending = static_cast<std::uint32_t>(ends[first - 1] + 1);  // not written yet
  for (int item = first; item <= last; ++item) {
    const auto begin = static_cast<std::uint32_t>(ends[item - 1] + 1);
    const auto end = static_cast<std::uint32_t>(ends[item]);
    const std::int32_t quote = quotes[item];
    if (quote < 0) {
      const std::uint32_t length = end - begin;
      if (length < 64 ? ((specialLengths_ >> length) & 1) == 0 : static_cast<int>(length) > specialMax_)
        continue;
      if (begin <= wordSafe ? !FieldIsSpecial(line_.data() + begin, length) : !LineFieldIsSpecial(begin, end))
        continue;
    }
    // The items before, with the comma after them, and what comes before the
    // item's quote go out in one copy; a field that is 0 alone stays 0
    // whether or not it is special.
    const std::size_t field = size_ + (begin - pending);
    Put(pending, quote >= 0 ? static_cast<std::uint32_t>(quote) : begin);
    Reserve(1);
    out_[size_++] = '0';
    if (size_ - field > 1 && FieldIsSpecial(out_.data() + field, size_ - field)) {
      size_ = field;
      out_[size_++] = '0';
    }
    pending = end;  // from the comma after it on
  }
  Put(pending, static_cast<std::uint32_t>(ends[last]));
}

// The piece's items joined by commas, then a comma; an item the line does not
// hold is written as an empty item.
inline void RecordCutter::PutPiece(const Piece& piece, bool zeroQuoted) {
  const int count = items_.Count();
  if (piece.first > count) {
    PutCommas(static_cast<size_t>(piece.last - piece.first) + 1);
    return;
  }
  const int present = std::min(piece.last, count);
  if (zeroQuoted && specialsWhileCutting_) {
    PutZeroedWithSpecials(piece.first, present);
  } else if (zeroQuoted && !items_.QuotedItems().empty()) {
    PutZeroed(piece.first, present);
  } else {
    const Bytes span = SpanOf(piece, !zeroQuoted_ && fewEnds_);
    Put(span.from, span.to);
  }
  PutCommas(static_cast<size_t>(piece.last - present) + 1);
}

std::string_view RecordCutter::OutputLine(bool zeroing) {
  size_ = 0;
  Build(zeroing);
  return {out_.data(), size_};
}

bool RecordCutter::AppendRecordLine() {
  const size_t lineStart = size_;
  Build(true);
  Put("\r\n", 2);
  return !output_.utf8 || ConvertFrom(lineStart);
}

bool RecordCutter::ConvertFrom(size_t lineStart) {
  const Cp932ToUtf8Table& table = Cp932ToUtf8Table::Get();
  const size_t size = size_ - lineStart;
  if (unconverted_.size() < size) unconverted_.Grow(size);
  std::memcpy(unconverted_.data(), out_.data() + lineStart, size);
  size_ = lineStart;
  Reserve(Cp932ToUtf8Table::kMostGrowth * size + Cp932ToUtf8Table::kSlack);
  const Cp932ToUtf8Table::Result converted =
      table.Convert({unconverted_.data(), size}, out_.data() + lineStart);
  unconvertible_.clear();
  if (!converted.ok) {
    unconvertible_.assign(unconverted_.data() + converted.badAt, converted.badSize);
    return false;
  }
  size_ = lineStart + converted.written;
  return true;
}

void RecordCutter::Build(bool zeroing) {
  Locate();
  const size_t lineStart = size_;
  // The source column comes first; its comma goes with the last piece's
  // when no piece follows.
  const std::string& prefix = zeroing ? output_.recordPrefix : output_.headingPrefix;
  if (!prefix.empty()) Put(prefix.data(), prefix.size());
  const bool zeroQuoted = zeroing && zeroQuoted_;
  // With quoted items zeroed, the fields of the output's BODY part are its
  // items, each ending at a comma of a single-byte position in the output as
  // in the line: unless an item runs to the line's end open-quoted (its
  // commas would separate fields) or the line ends in a lead byte value (the
  // comma written after it could be its trail byte), or an empty special
  // string would make the written empty items special too.
  specialsWhileCutting_ = zeroQuoted && zeroSpecial_ && noEmptySpecial_ && items_.UnterminatedItem() == 0 &&
                          !(!line_.empty() && IsLeadByte(static_cast<unsigned char>(line_.back())));
  for (size_t i = 0; i < ridPieces_; ++i) PutPiece(pieces_[i], false);
  const size_t bodyStart = size_;
  for (size_t i = ridPieces_; i < pieces_.size(); ++i) PutPiece(pieces_[i], zeroQuoted);
  if (size_ > lineStart) --size_;  // the comma after the last piece
  if (zeroing && zeroSpecial_ && !specialsWhileCutting_) ZeroSpecialStrings(bodyStart);
}

void RecordCutter::AppendBytes(std::string_view bytes) { Put(bytes.data(), bytes.size()); }

bool RecordCutter::LineIsItsRecord() {
  if (!wholeLines_) return false;
  Locate();
  const Piece& piece = pieces_[0];
  if (piece.last > items_.Count()) return false;  // empty items would be added
  const Bytes span = SpanOf(piece, fewEnds_);
  return span.from == 0 && span.to == line_.size();
}

std::string_view RecordCutter::OutputLineWithEnd(bool zeroing) {
  OutputLine(zeroing);
  Put("\r\n", 2);
  if (output_.utf8 && !ConvertFrom(0)) return {};
  return {out_.data(), size_};
}

// Special strings of up to 8 bytes are compared as one word; the output
// buffer's slack makes the 8-byte read safe, the mask drops what lies past
// the field.
inline bool RecordCutter::IsSpecial(const char* field, size_t length) const {
  if (length >= specialsByLength_.size()) return false;
  const std::vector<Special>& candidates = specialsByLength_[length];
  if (candidates.empty()) return false;
  if (length <= 8) {
    std::uint64_t word;
    std::memcpy(&word, field, 8);
    word &= WordMask(length);
    for (const Special& special : candidates)
      if (special.word == word) return true;
    return false;
  }
  // GCC at -O1 (the sanitizer build) cannot see that a field copied into
  // 8 bytes (LineFieldIsSpecial) never comes here, and warns of a read past
  // the copy.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overread"
#endif
  for (const Special& special : candidates)
    if (std::memcmp(special.text.data(), field, length) == 0) return true;
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  return false;
}

// With a few special strings of up to 8 bytes, a field is tested against all
// of them at once, without a branch on its length (the lengths of numbers
// follow no pattern a processor could guess).
inline bool RecordCutter::IsShortSpecial(const char* field, size_t length) const {
  std::uint64_t word;
  std::memcpy(&word, field, 8);
  word &= WordMask(length);
  bool equal = false;
  for (const ShortSpecial& special : shortSpecialList_)
    equal |= (special.length == length) & (special.word == word);
  return equal;
}

// `field` may be read 8 bytes on.
inline bool RecordCutter::FieldIsSpecial(const char* field, size_t length) const {
  if (shortSpecials_) return IsShortSpecial(field, length);
  const auto shortest = static_cast<size_t>(std::max(specialMin_, 0));
  return length >= shortest && static_cast<int>(length) <= specialMax_ && IsSpecial(field, length);
}

// Bytes [from, to) of the line; near the line's end they are read from a copy.
inline bool RecordCutter::LineFieldIsSpecial(std::uint32_t from, std::uint32_t to) const {
  const size_t length = to - from;
  if (line_.size() - from >= 8) return FieldIsSpecial(line_.data() + from, length);
  char copy[8] = {};
  std::memcpy(copy, line_.data() + from, length);
  return FieldIsSpecial(copy, length);
}

// Every field of the BODY part that equals a special string becomes 0. Fields
// are separated at every comma of a single-byte position, quoted or not. The
// line only shrinks: it is rewritten in place, each run of fields between two
// replaced ones moved in one piece.
void RecordCutter::ZeroSpecialStrings(size_t bodyStart) {
  if (bodyStart > size_) return;  // no BODY part
  char* const body = out_.data() + bodyStart;
  const size_t bodySize = size_ - bodyStart;
  size_t written = 0;  // bytes of the new BODY part
  size_t kept = 0;     // the unchanged bytes from here on are not moved yet
  // The fields are located a few thousand at a time, each time from the byte
  // after a separator, where the scan starts afresh.
  constexpr int kFieldsAtATime = 4096;
  for (size_t start = 0;;) {
    fields_.Locate({body + start, bodySize - start}, kFieldsAtATime, false, false);
    const int count = fields_.Count();
    for (int i = 1; i <= count; ++i) {
      const size_t from = start + fields_.Begin(i);
      const size_t to = start + fields_.End(i);
      const auto length = static_cast<int>(to - from);
      if (!(shortSpecials_
                ? IsShortSpecial(body + from, to - from)
                : length >= specialMin_ && length <= specialMax_ && IsSpecial(body + from, to - from)))
        continue;
      std::memmove(body + written, body + kept, from - kept);
      written += from - kept;
      body[written++] = '0';
      kept = to;
    }
    if (start + fields_.End(count) >= bodySize) break;  // the last field ends the line
    start += fields_.End(count) + 1;
  }
  std::memmove(body + written, body + kept, bodySize - kept);
  size_ = bodyStart + written + (bodySize - kept);
}

std::string_view RecordCutter::Key() {
  key_.clear();
  if (mode_ == RecordMode::Code) {
    // Fixed byte positions, learnt from the layout's first record.
    for (const KeyRange& range : keyRanges_) {
      if (range.startPos < 1 || range.length <= 0) continue;
      const size_t from = static_cast<size_t>(range.startPos) - 1;
      if (from >= line_.size()) continue;
      key_.append(line_.substr(from, static_cast<size_t>(range.length)));
    }
  } else {
    // Only the key items, located anew in every record; the items of the
    // output are located only for a record that is written.
    items_.LocateEnds(line_, keyEnds_);
    located_ = false;
    for (const Piece& piece : keyPieces_) {
      if (piece.first > items_.Count()) continue;
      const Bytes span = SpanOf(piece, true);
      key_.append(line_.data() + span.from, span.to - span.from);
    }
  }
  key_.resize(DeleteQuotesAndCommas(key_.data(), key_.size()));
  return key_;
}

bool RecordCutter::KeyMatches(std::string_view key) const {
  if (mode_ == RecordMode::Value && key.size() != valueKeyLength_) return false;
  if (rangesAscend_) {
    // The first range whose high is not below the key is the only candidate.
    const auto it = std::lower_bound(
        codeRanges_.begin(), codeRanges_.end(), key,
        [](const CodeRange& range, std::string_view k) { return std::string_view(range.high) < k; });
    return it != codeRanges_.end() && std::string_view(it->low) <= key;
  }
  for (const CodeRange& range : codeRanges_)
    if (std::string_view(range.low) <= key && key <= std::string_view(range.high)) return true;
  return false;
}

RecordCutter::Verdict RecordCutter::Judge(std::string_view line, std::int64_t record) {
  bool keep = true;
  bool last = false;
  switch (mode_) {
    case RecordMode::All:
      Load(line);
      break;
    case RecordMode::Count:
      keep = counts_.Keeps(record);
      last = counts_.PassedLast(record);
      if (keep) Load(line);
      break;
    case RecordMode::Code:
    case RecordMode::Value: {
      Load(line);
      const std::string_view key = Key();
      last = stopsEarly_ && BeyondLastRange(key);
      keep = KeyMatches(key) != extractAllExcept_;
      break;
    }
  }
  if (keep) return last ? Verdict::WriteAndStop : Verdict::Write;
  return last ? Verdict::Stop : Verdict::Skip;
}

bool RecordCutter::BeyondLastRange(std::string_view key) const {
  return !codeRanges_.empty() && key > std::string_view(codeRanges_.back().high);
}

}  // namespace sifta
