#include "inspect/PositionalLines.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "inspect/LineEnds.h"

namespace sifta {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The bytes of a file from one offset on, read by position into a buffer as
// far as they are asked for. Byte i of the view is byte from + i of the file.
class PositionedBytes {
 public:
  PositionedBytes(const platform::File& file, std::int64_t from, ByteBuffer& into, std::size_t step,
                  std::size_t most)
      : file_(file),
        from_(from),
        into_(into),
        step_(step),
        more_(std::min<std::size_t>(4096, step)),
        most_(most) {}

  // Reads on until at least `count` bytes are held, the file ends or a read
  // fails; whether they are held. Past the bytes first asked for, mostly the
  // rest of one line, it reads a little at first, then twice as much each
  // time up to `step`.
  bool Have(std::size_t count) {
    while (held_ < count && !ended_ && !error_) {
      std::size_t wanted = count - held_;
      if (held_ > 0) {
        wanted = std::max(wanted, more_);
        more_ = std::min(2 * more_, step_);
      }
      into_.Grow(held_ + wanted, most_);
      const platform::File::ReadResult read =
          file_.ReadAt(into_.data() + held_, wanted, from_ + static_cast<std::int64_t>(held_));
      if (read.error)
        error_ = read.error;
      else if (read.bytes == 0)
        ended_ = true;
      held_ += read.bytes;
    }
    return held_ >= count;
  }

  std::size_t Held() const { return held_; }
  const char* Data() const { return into_.data(); }
  char operator[](std::size_t i) const { return into_.data()[i]; }
  bool Ended() const { return ended_; }  // the file ends after the bytes held
  const std::optional<platform::SystemError>& Error() const { return error_; }

  // The first `byte` in [begin, end), or kNone.
  std::size_t Find(char byte, std::size_t begin, std::size_t end) const {
    if (begin >= end) return kNone;
    const void* found = std::memchr(into_.data() + begin, byte, end - begin);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - into_.data()) : kNone;
  }
  // The last `byte` in [begin, end), or kNone.
  std::size_t FindLast(char byte, std::size_t begin, std::size_t end) const {
    for (std::size_t at = end; at > begin; --at)
      if (into_.data()[at - 1] == byte) return at - 1;
    return kNone;
  }

 private:
  const platform::File& file_;
  std::int64_t from_;
  ByteBuffer& into_;
  std::size_t step_;
  std::size_t more_;
  std::size_t most_;
  std::size_t held_ = 0;
  bool ended_ = false;
  std::optional<platform::SystemError> error_;
};

}  // namespace

PositionalLines::PositionalLines(const LineReader& reader, std::int64_t textStart)
    : file_(reader.File()),
      path_(reader.Path()),
      blockSize_(reader.BlockSize()),
      longestLine_(reader.LongestLine()),
      textStart_(textStart),
      nextBlock_(textStart) {}

void PositionalLines::Next(LineChunk& chunk) {
  chunk.offset = nextBlock_;
  nextBlock_ += static_cast<std::int64_t>(blockSize_);
  chunk.lines = {};
  chunk.after = LinesGoOn::More;
  chunk.error.reset();
  chunk.toRead = true;
}

void PositionalLines::Read(LineChunk& chunk) const {
  chunk.toRead = false;
  // Two bytes before the block tell whether a line begins at its first byte.
  const std::int64_t from = std::max(textStart_, chunk.offset - 2);
  const auto own = static_cast<std::size_t>(chunk.offset - from);  // the block's first byte
  const std::size_t stop = own + blockSize_;                       // the next block's first byte
  PositionedBytes bytes(file_, from, chunk.input, blockSize_, stop + longestLine_ + 2);
  bytes.Have(stop);

  LinesGoOn after = LinesGoOn::More;
  std::optional<IoError> error;
  std::string_view lines;
  const auto finish = [&] {
    chunk.lines = lines;
    chunk.after = after;
    chunk.error = std::move(error);
  };
  const auto readError = [&] {
    if (after != LinesGoOn::More) return;
    after = LinesGoOn::ReadError;
    error = DescribeIoError(*bytes.Error(), path_);
  };
  const auto tooLong = [&] {
    if (after != LinesGoOn::More) return;
    after = LinesGoOn::LineTooLong;
    error = LineTooLong(path_, longestLine_);
  };
  if (bytes.Held() <= own) {  // the file ends, or reading fails, before the block
    if (bytes.Error())
      readError();
    else
      after = LinesGoOn::TextEnds;
    return finish();
  }

  // The first 0x1A of the block or after it ends the text (one before it
  // ended the text in a block before). The bytes held are searched for it
  // as they come.
  std::size_t mark = kNone;
  std::size_t markSought = own;  // the bytes [own, markSought) hold no 0x1A
  const auto textEnd = [&] {
    if (mark == kNone && markSought < bytes.Held()) {
      mark = bytes.Find('\x1A', markSought, bytes.Held());
      markSought = bytes.Held();
    }
    return mark != kNone ? mark : bytes.Held();
  };
  // Where the line after the CR at `cr` begins: after the LF that follows.
  const auto lineAfter = [&](std::size_t cr) {
    bytes.Have(cr + 2);
    return AfterLineEnd({bytes.Data(), bytes.Held()}, cr);
  };
  // Gives the lines [first, end), cut short before a line longer than
  // allowed, and what comes after them when `end` is the end of the text or
  // of what could be read (a block whose lines end where the file ends
  // without its knowing leaves that to the next block).
  const auto give = [&](std::size_t first, std::size_t end) {
    const std::size_t fit = first + FirstLineLongerThan({bytes.Data() + first, end - first}, longestLine_);
    if (fit < end) {
      end = fit;
      tooLong();
    } else if (end == textEnd() && mark != kNone) {
      after = bytes.Have(mark + 2) ? LinesGoOn::TextEndsAtMark : LinesGoOn::TextEnds;
    } else if (end == bytes.Held() && (bytes.Ended() || bytes.Error())) {
      if (bytes.Error()) {
        // A CR read last waits for the LF that may follow: reading on
        // failed, so its line is cut short too.
        if (end > first && bytes[end - 1] == '\r') {
          const std::size_t cr = bytes.FindLast('\r', first, end - 1);
          end = cr == kNone ? first : lineAfter(cr);
        }
        readError();
      } else {
        after = LinesGoOn::TextEnds;
      }
    }
    lines = {bytes.Data() + first, end - first};  // last: reading on may move the buffer
  };

  // The first line that begins in the block.
  std::size_t first = own;
  if (own > 0 && !(own >= 2 && bytes[own - 2] == '\r' && bytes[own - 1] == '\n')) {
    const std::size_t cr = bytes.Find('\r', own - 1, std::min(stop, textEnd()));
    if (cr == kNone) {
      // None: the block lies inside a line that begins before it, whose
      // block gives what ends it.
      if (textEnd() < stop) {
        if (mark == kNone && bytes.Error())
          readError();
        else
          after = LinesGoOn::TextEnds;
      }
      return finish();
    }
    first = lineAfter(cr);
    if (first >= stop) return finish();
  }
  if (first >= textEnd()) {
    give(first, first);
    return finish();
  }

  // The last line that begins in the block begins after its last CR.
  const std::size_t blockText = std::min(stop, textEnd());
  const std::size_t lastCr = bytes.FindLast('\r', first, blockText);
  const std::size_t last = lastCr == kNone ? first : lineAfter(lastCr);
  if (last >= stop || last >= textEnd()) {
    give(first, last);
    return finish();
  }
  // It ends after the block: at its CR, at the end of the text, or cut
  // short by a read error. A line already longer than allowed is not read on.
  for (std::size_t scanned = blockText;;) {
    const std::size_t end = textEnd();
    const std::size_t cr = bytes.Find('\r', scanned, end);
    if (cr != kNone) {
      if (cr - last > longestLine_) break;
      give(first, lineAfter(cr));
      return finish();
    }
    if (end - last > longestLine_) break;
    if (mark != kNone || bytes.Ended()) {
      give(first, end);
      return finish();
    }
    if (bytes.Error()) {
      give(first, last);
      readError();
      return finish();
    }
    scanned = end;
    bytes.Have(end + 1);
  }
  give(first, last);
  tooLong();
  finish();
}

}  // namespace sifta
