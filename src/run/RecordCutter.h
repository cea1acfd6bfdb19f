// The record loop's way of cutting a line: the plan compiled once into a
// list of item pieces, each line split once into its items (ItemBoundaries),
// then every piece of the output is one copy out of the line. Gives exactly
// the bytes of the reference forms BuildOutputLine and BuildRecordKey and the
// decision of KeyMatches, which the tests keep (support/ReferenceSteps.h)
// and hold side by side with it.
//
// The output lines take the form of the file's FileOutput: the source
// column's item first, and converted to UTF-8 when it asks for it.
//
// Nothing is allocated per line once the buffers have grown to the longest
// line met.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/ByteBuffer.h"
#include "run/ExtractionPlan.h"
#include "run/FileOutput.h"
#include "scan/ItemBoundaries.h"

namespace sifta {

class RecordCutter {
 public:
  explicit RecordCutter(const ExtractionPlan& plan, const FileOutput& output = {});
  const FileOutput& Output() const { return output_; }

  // Takes the line that the calls below cut; the view must stay valid until
  // the next Load.
  void Load(std::string_view line);

  // The kept items of the line joined by commas: zeroing off for the heading,
  // on for records. Valid until the next call of a member.
  std::string_view OutputLine(bool zeroing);
  // The same followed by CR LF, as the line is written to the extract file,
  // in the file's output form. Empty when it cannot be converted to UTF-8:
  // UnconvertibleBytes() then tells why.
  std::string_view OutputLineWithEnd(bool zeroing);
  // After a line that could not be converted to UTF-8, the bytes of its
  // first character with no Unicode form; empty after a line that could.
  const std::string& UnconvertibleBytes() const { return unconvertible_; }
  // Gives back the output buffer when it has grown beyond `bytes` (after a
  // long line whose like is not expected again).
  void ReleaseOutputOver(std::size_t bytes) {
    if (out_.size() > bytes) out_.Reset(0);
    size_ = 0;
  }

  // Cutting many records into one buffer: the record's output line with its
  // CR LF (zeroing on) added after the lines added before; false, and
  // nothing added, when it cannot be converted to UTF-8. The buffer of
  // output lines is `output`'s, taken with the bytes it holds: `size` of
  // them, and given back by the same call with the cutter's.
  bool AppendRecordLine();
  std::size_t AppendedSize() const { return size_; }
  void SwapOutput(ByteBuffer& output, std::size_t& size) {
    swap(out_, output);
    std::swap(size_, size);
  }

  // Whether the record's output line is the loaded line itself, byte for
  // byte: the plan keeps items 1 to n as they stand (no zeroing), the line
  // holds exactly n items, and the output form adds and converts nothing.
  bool LineIsItsRecord();
  // Adds `bytes` to the output lines, as AppendRecordLine adds a line.
  void AppendBytes(std::string_view bytes);

  // The key of the line (modes Code and Value), double quotes and commas
  // deleted. Valid until the next Load or Key.
  std::string_view Key();

  // Whether the key lies in a code range of the plan (before extractAllExcept).
  bool KeyMatches(std::string_view key) const;
  // Whether the key is beyond the high of the last code range.
  bool BeyondLastRange(std::string_view key) const;

  // Count mode: whether record `n` (1 for the first record) lies in a count
  // range, and whether no record after it can.
  bool CountKeeps(std::int64_t n) { return counts_.Keeps(n); }
  bool BeyondLastCount(std::int64_t n) const { return counts_.PassedLast(n); }

  // What becomes of a record by the plan's record mode: skipped, written,
  // written as the last record that can be, or not written and the first
  // that can be none (no later record can be kept: the first beyond the last
  // count range, or beyond the last code range of a grouped key). `record`
  // is its number (mode Count only; a cutter is given ascending numbers).
  // A record to write is loaded, for OutputLine and AppendRecordLine.
  enum class Verdict { Skip, Write, WriteAndStop, Stop };
  Verdict Judge(std::string_view line, std::int64_t record);
  static bool Writes(Verdict verdict) {
    return verdict == Verdict::Write || verdict == Verdict::WriteAndStop;
  }
  static bool Stops(Verdict verdict) { return verdict == Verdict::WriteAndStop || verdict == Verdict::Stop; }

 private:
  // Items first..last, absolute item numbers: one RID range or one block of
  // a cell rule.
  struct Piece {
    int first;
    int last;
    // With LocateEnds: the places in the list of item ends of the end of
    // item first - 1 (-1 for the first item) and of item last.
    int beginSlot = -1;
    int endSlot = -1;
  };
  // Bytes [from, to) of the line.
  struct Bytes {
    std::uint32_t from;
    std::uint32_t to;
  };
  // Items piece.first .. min(piece.last, Count()) of the located line;
  // piece.first is at most Count().
  Bytes SpanOf(const Piece& piece, bool listed) const;

  void Locate();
  void Build(bool zeroing);                 // the output line after the bytes held
  bool ConvertFrom(std::size_t lineStart);  // the bytes from there on into UTF-8
  void PutPiece(const Piece& piece, bool zeroQuoted);
  void PutZeroed(int first, int last);
  void PutZeroedWithSpecials(int first, int last);
  bool FieldIsSpecial(const char* field, std::size_t length) const;
  bool LineFieldIsSpecial(std::uint32_t from, std::uint32_t to) const;
  void ZeroSpecialStrings(std::size_t bodyStart);
  bool IsSpecial(const char* field, std::size_t length) const;

  void Put(std::uint32_t from, std::uint32_t to) { Put(line_.data() + from, to - from); }
  void Put(const char* bytes, std::size_t count) {
    Reserve(count);
    CopyShort(out_.data() + size_, bytes, count);
    size_ += count;
  }
  void PutComma() {
    Reserve(1);
    out_[size_++] = ',';
  }
  void PutCommas(std::size_t count) {
    Reserve(count);
    for (std::size_t i = 0; i < count; ++i) out_[size_ + i] = ',';
    size_ += count;
  }
  // Keeps kSlack bytes of room after `more` more bytes, for CopyShort.
  void Reserve(std::size_t more) {
    if (size_ + more + kSlack > out_.size()) out_.Grow(size_ + more + kSlack);
  }
  // Copies `count` bytes; reads and writes only those. The spans of a record
  // are short: a few overlapping moves instead of a call of memcpy.
  static void CopyShort(char* to, const char* from, std::size_t count);
  static constexpr std::size_t kSlack = 16;

  // The compiled plan.
  std::vector<Piece> pieces_;  // the RID ranges, then every cell block in order
  std::size_t ridPieces_ = 0;
  int wanted_ = 1;                // the last item any piece asks for
  std::vector<int> itemEnds_;     // the item ends they need, ascending
  bool fewEnds_ = false;          // few of them among many items: LocateEnds
  std::vector<int> keyEnds_;      // the item ends of the key in Value mode, ascending
  std::vector<Piece> keyPieces_;  // the key ranges of Value mode as pieces of keyEnds_
  bool wholeLines_ = false;       // one piece from item 1 on, no zeroing: see LineIsItsRecord
  bool zeroQuoted_ = false;
  bool zeroSpecial_ = false;
  bool noEmptySpecial_ = true;
  // This line's special strings are replaced as its BODY items are written
  // (both zeroings on), not in a pass of their own over the output.
  bool specialsWhileCutting_ = false;
  int specialMin_ = 0;
  int specialMax_ = -1;
  struct Special {
    std::string text;
    std::uint64_t word;  // its first (up to) 8 bytes
  };
  std::vector<std::vector<Special>> specialsByLength_;
  std::uint64_t specialLengths_ = 0;  // bit n: a special string of n bytes (n < 64)
  static constexpr std::uint64_t WordMask(std::size_t length) {
    return length >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * length)) - 1;
  }
  struct ShortSpecial {
    std::size_t length;
    std::uint64_t word;
  };
  std::vector<ShortSpecial> shortSpecialList_;
  bool shortSpecials_ = false;  // at most 8 of them, none longer than 8 bytes
  bool IsShortSpecial(const char* field, std::size_t length) const;
  RecordMode mode_ = RecordMode::All;
  bool extractAllExcept_ = false;
  bool stopsEarly_ = false;  // grouped codes, not all but them: the loop stops past the last range
  CountRangeCursor counts_;
  std::vector<KeyRange> keyRanges_;
  std::vector<CodeRange> codeRanges_;
  bool rangesAscend_ = false;  // disjoint and ascending: searched by halving
  std::size_t valueKeyLength_ = 0;

  FileOutput output_;
  std::string unconvertible_;
  ByteBuffer unconverted_;  // a line's output before its conversion

  // The current line.
  std::string_view line_;
  bool located_ = false;
  ItemBoundaries items_;
  ItemBoundaries fields_;  // of the output line, for the special strings
  ByteBuffer out_;         // grown to the longest output line; what lies past size_ is undefined
  std::size_t size_ = 0;
  std::string key_;
};

}  // namespace sifta
