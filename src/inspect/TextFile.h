// Reading and writing text files line by line, by the line rule of the whole
// program:
//  - a line ends at a CR byte; an LF right after it belongs to that line end;
//    any other LF is an ordinary byte of the line (a file with LF-only line
//    ends reads as one line);
//  - a 0x1A byte or the physical end of the file ends the text; the bytes
//    before it on the last line form the last line; a file that ends with a
//    line end has no further empty line;
//  - reading past the end yields an empty line.
// Every line written is followed by CR LF; no byte-order mark.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "inspect/ByteBuffer.h"
#include "inspect/LineEnds.h"
#include "platform/Files.h"

namespace sifta {

// An input/output error, described for the user (code page 932), for
// instance "ファイルが見つかりません" and the file's name on a second line.
struct IoError {
  std::string message;
};

// Describes `error` for the file `path` to the user.
IoError DescribeIoError(const platform::SystemError& error, const std::filesystem::path& path);
// The same for an errno value of the C library.
IoError DescribeIoError(int errnum, const std::filesystem::path& path);

// A file name with a control character in it (a NUL would cut it short
// where the system reads it): the error to show; nothing for a good name.
std::optional<IoError> CheckFileName(std::string_view path);

// A line longer than `longest` bytes in the file `path`: what happened and
// what to do.
IoError LineTooLong(const std::filesystem::path& path, std::size_t longest);

enum class LinesGoOn;

// Reads a file from its start to its end and gives each line as a view into
// a large buffer: one read per block, a line costs O(its length), memory is
// about the longest line read plus two blocks. (PositionalLines reads the
// rest of a file opened here by blocks, on several threads.)
//
// A line longer than the longest line allowed (kLongestLine bytes, line end
// not counted) is not read: the reading stops there with the error "line too
// long", as at a read error, before its bytes past the limit take memory.
class LineReader {
 public:
  // A block and the chunks cut from it stay in the processor's caches while
  // one thread reads them and another cuts them: larger blocks were slower.
  static constexpr std::size_t kDefaultBlockSize = 1u << 20;
  static constexpr std::size_t kLongestLine = std::size_t{1} << 30;  // 1 GiB

  LineReader() = default;
  // Reads at most `blockSize` bytes at a time (at least 1); tests use small
  // blocks to put a block boundary anywhere in a line, and a small
  // `longestLine` to reach the limit.
  explicit LineReader(std::size_t blockSize, std::size_t longestLine = kLongestLine)
      : blockSize_(blockSize > 0 ? blockSize : 1), longestLine_(std::min(longestLine, kLongestLine)) {}
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader();

  std::optional<IoError> Open(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }

  // True when no line is left. A read error also ends the text (see Error).
  bool AtEnd();

  // The next line without its line end, valid until the next call of any
  // member; the empty line past the end, and after an error.
  std::string_view ReadLine();

  // Line 1 of the file just opened, left to be read: the next ReadLine gives
  // it again. Nothing when the file has no line, or reading it failed (the
  // next ReadLine meets the error). Valid until the next call of any member.
  std::optional<std::string_view> PeekFirstLine();

  // The stamp of the file open (nothing for a pipe or a device).
  std::optional<platform::FileStamp> Stamp() const { return file_.Stamp(); }

  // As many whole lines as are read, from the next line on, for another
  // thread to split by the same rule: `into` and the reader's buffer change
  // places, and the view into `into` holds the lines, each but the text's
  // last ending at a CR (with the LF after it, when there is one); no line
  // end is split. The same lines as ReadLine would give one by one, up to a
  // line it would refuse (too long, or cut short by a read error), which is
  // not given (Error() says why). The text's last line, when it has no line
  // end, comes by itself. Empty when no line is left. Valid until `into`
  // changes.
  std::string_view TakeLines(ByteBuffer& into);

  // The first read error, if any: reading stopped there as at an end.
  const std::optional<IoError>& Error() const { return error_; }

  // How the lines go on after those read so far: more of them, the end of
  // the text, or the error that stopped the reading. May read on.
  LinesGoOn HowLinesGoOn();

  // True when the text ended at a 0x1A byte that further bytes of the file
  // follow: those bytes are not part of the text. May read one more block;
  // call it when the lines read are no longer needed.
  bool EndMarkBeforeEnd();

  // Bytes of the file taken by the lines read so far.
  std::int64_t Consumed() const { return consumedBefore_ + static_cast<std::int64_t>(begin_); }

  // What PositionalLines reads the rest of the file by: the open file, its
  // name, the block size and the longest line allowed.
  const platform::File& File() const { return file_; }
  const std::filesystem::path& Path() const { return path_; }
  std::size_t BlockSize() const { return blockSize_; }
  std::size_t LongestLine() const { return longestLine_; }

  // Size of the buffer: about the longest line read so far plus two blocks.
  std::size_t BufferSize() const { return buffer_.size(); }

 private:
  bool Fill();  // reads one more block after end_, keeping begin_..end_; false at the end
  bool TooLong(std::size_t length);  // true (after ending the text) when a line of `length` is
  std::string_view Take(std::size_t length, std::size_t next);  // the line at begin_; begin_ = next
  // The lines at begin_ up to `cut`, handed over in `into`; the rest stays.
  std::string_view Hand(ByteBuffer& into, std::size_t cut);

  std::size_t blockSize_ = kDefaultBlockSize;
  std::size_t longestLine_ = kLongestLine;
  platform::File file_;
  std::filesystem::path path_;
  ByteBuffer buffer_;
  size_t begin_ = 0;  // first byte not yet returned
  size_t end_ = 0;    // end of the bytes read
  bool physicalEnd_ = false;
  bool textEnded_ = false;    // a 0x1A byte was met
  bool lineTooLong_ = false;  // error_ is a line longer than allowed
  // Where in buffer_ the first 0x1A byte read lies (npos: none read yet). It
  // is looked for once per block read; no line is ever returned past it.
  size_t mark_ = static_cast<size_t>(-1);
  std::int64_t consumedBefore_ = 0;
  std::optional<IoError> error_;
};

// Writes lines through a large buffer; every line ends with CR LF. A full
// buffer is written by a background thread while the next one fills, so that
// cutting and writing overlap; Close waits for it. A write error of the
// background thread shows in Error() from the next full buffer or Close on.
class LineWriter {
 public:
  enum class Mode { Create, Append };
  static constexpr std::size_t kDefaultBufferSize = 4u << 20;

  LineWriter();
  // Writes out whenever `bufferSize` bytes are buffered (at least 1).
  explicit LineWriter(std::size_t bufferSize);
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;
  ~LineWriter();

  // Errors name `shownPath` when it is given (the extract whose temporary
  // file `path` is), else `path`.
  std::optional<IoError> Open(const std::filesystem::path& path, Mode mode,
                              const std::filesystem::path& shownPath = {});
  // Writes into a file opened already, from where its position stands;
  // errors name `shownPath`.
  void Open(platform::File file, const std::filesystem::path& shownPath);

  // The bytes of one line, in as many pieces as the caller likes, then EndLine.
  void Append(std::string_view bytes);
  void EndLine() { Append("\r\n"); }
  void WriteLine(std::string_view line) {
    Append(line);
    EndLine();
  }

  // Writes out what is buffered and closes; the first error met, if any.
  std::optional<IoError> Close();
  bool IsOpen() const { return file_.IsOpen(); }

  // Bytes buffered now, and how many make the buffer go out: appending
  // fewer than their difference only adds to the buffer.
  std::size_t Buffered() const { return buffer_.size(); }
  std::size_t BufferSize() const { return bufferSize_; }

  // The first write error, if any; later writes are dropped.
  const std::optional<IoError>& Error() const { return error_; }

 private:
  struct Background;

  void HandOver();           // gives the full buffer to the background thread
  void WaitForBackground();  // until it has written what it holds; takes its error
  void StopBackground();
  void WriteOut(std::string_view bytes);  // on this thread

  std::size_t bufferSize_ = kDefaultBufferSize;
  platform::File file_;
  std::filesystem::path path_;
  std::string buffer_;
  std::optional<IoError> error_;
  std::unique_ptr<Background> background_;
};

}  // namespace sifta
