#include "inspect/TextFile.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "inspect/LineSource.h"
#include "scan/Cp932.h"

namespace sifta {

namespace {

constexpr size_t kNoMark = static_cast<size_t>(-1);
static_assert(LineReader::kLongestLine < INT_MAX - 1024, "positions in a line are 32-bit");

}  // namespace

IoError DescribeIoError(const platform::SystemError& error, const std::filesystem::path& path) {
  using platform::ErrorKind;
  std::string text;
  switch (error.kind) {
    case ErrorKind::NotFound:
      text = Sj("ファイルが見つかりません");
      break;
    case ErrorKind::PathNotFound:
      text = Sj("パスが見つかりません");
      break;
    case ErrorKind::AccessDenied:
      text = Sj("アクセスが拒否されました");
      break;
    case ErrorKind::IsFolder:
      text = Sj("フォルダーはファイルとして開けません");
      break;
    case ErrorKind::NotAFile:
      text = Sj("パイプやデバイスはファイルとして読めません");
      break;
    case ErrorKind::DiskFull:
      text = Sj("ディスクに空き領域がありません");
      break;
    case ErrorKind::ReadOnly:
      text = Sj("読み取り専用のファイルシステムです");
      break;
    case ErrorKind::Io:
      text = Sj("入出力エラーです");
      break;
    case ErrorKind::TooLarge:
      text = Sj("ファイルが大きすぎます");
      break;
    case ErrorKind::BadName:
      text = Sj("ファイル名に使えない文字か名前が含まれています");
      break;
    case ErrorKind::Exists:
      text = Sj("同じ名前のファイルがすでにあります");
      break;
    case ErrorKind::Other:
      text = Sj("入出力エラーです") + " (" + Utf8ToCp932ForDisplay(platform::SystemErrorText(error)) + ")";
      break;
  }
  if (!path.empty()) text += "\r\n" + Utf8ToCp932ForDisplay(platform::PathToUtf8(path));
  return IoError{text};
}

IoError DescribeIoError(int errnum, const std::filesystem::path& path) {
  return DescribeIoError(platform::ErrorFromErrno(errnum), path);
}

namespace {

// "1GB", "64KB" or "100バイト".
std::string SizeText(std::size_t bytes) {
  if (bytes % (std::size_t{1} << 30) == 0) return std::to_string(bytes >> 30) + "GB";
  if (bytes % (std::size_t{1} << 20) == 0) return std::to_string(bytes >> 20) + "MB";
  if (bytes % (std::size_t{1} << 10) == 0) return std::to_string(bytes >> 10) + "KB";
  return std::to_string(bytes) + Sj("バイト");
}

}  // namespace

// The usual cause is a file whose lines end in LF alone, which reads as one
// line.
IoError LineTooLong(const std::filesystem::path& path, std::size_t longest) {
  IoError error{
      Sj("1行が長すぎて読めません（1行は") + SizeText(longest) +
      Sj("までです）。\r\n行末がLFだけのファイルは全体が1行になるので、行末をCR LFにしてください。")};
  if (!path.empty()) error.message += "\r\n" + Utf8ToCp932ForDisplay(platform::PathToUtf8(path));
  return error;
}

std::optional<IoError> CheckFileName(std::string_view path) {
  std::string shown;
  bool bad = false;
  for (char byte : path) {
    const bool control = static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F;
    bad = bad || control;
    shown += control ? '?' : byte;
  }
  if (!bad) return std::nullopt;
  return IoError{Sj("ファイル名に使えない文字（制御文字）があります") + "\r\n" +
                 Utf8ToCp932ForDisplay(shown)};
}

// ---- LineReader ----

LineReader::~LineReader() { Close(); }

std::optional<IoError> LineReader::Open(const std::filesystem::path& path) {
  Close();
  path_ = path;
  begin_ = end_ = 0;
  physicalEnd_ = textEnded_ = lineTooLong_ = false;
  mark_ = kNoMark;
  consumedBefore_ = 0;
  error_.reset();
  if (auto bad = CheckFileName(platform::PathToUtf8(path))) return *bad;
  if (auto error = file_.Open(path, platform::File::Access::Read)) return DescribeIoError(*error, path);
  // Two blocks, so that the rest of a line at the end of one block never
  // makes the buffer grow unless the line is longer than a block. The buffer
  // of a long line of an earlier file is given back.
  buffer_.Reset(2 * blockSize_);
  return std::nullopt;
}

void LineReader::Close() { file_.Close(); }

bool LineReader::Fill() {
  if (physicalEnd_ || !file_.IsOpen()) return false;
  if (begin_ > 0) {
    // Only the unfinished line moves: once it starts the buffer (begin_ 0),
    // a long line is never moved again except by the buffer's growth.
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    if (mark_ != kNoMark) mark_ -= begin_;
    consumedBefore_ += static_cast<std::int64_t>(begin_);
    begin_ = 0;
  }
  // The unfinished line is at most one byte longer than the longest line
  // (its CR may wait for an LF): the buffer never grows beyond that and a block.
  if (buffer_.size() - end_ < blockSize_) buffer_.Grow(end_ + blockSize_, longestLine_ + 1 + blockSize_);
  const platform::File::ReadResult read = file_.Read(buffer_.data() + end_, blockSize_);
  if (read.bytes > 0) {
    if (mark_ == kNoMark) {
      const void* mark = std::memchr(buffer_.data() + end_, '\x1A', read.bytes);
      if (mark) mark_ = static_cast<size_t>(static_cast<const char*>(mark) - buffer_.data());
    }
    end_ += read.bytes;
    return true;
  }
  if (read.error) error_ = DescribeIoError(*read.error, path_);
  physicalEnd_ = true;
  return false;
}

bool LineReader::AtEnd() {
  if (textEnded_) return true;
  while (begin_ == end_)
    if (!Fill()) return true;
  if (buffer_[begin_] == '\x1A') {
    textEnded_ = true;
    return true;
  }
  return false;
}

bool LineReader::EndMarkBeforeEnd() {
  if (!textEnded_) return false;  // the mark, when met, stands at begin_
  if (begin_ + 1 < end_) return true;
  return Fill() && end_ > begin_ + 1;
}

LinesGoOn LineReader::HowLinesGoOn() {
  if (!error_ && !AtEnd()) return LinesGoOn::More;
  if (error_) return lineTooLong_ ? LinesGoOn::LineTooLong : LinesGoOn::ReadError;
  return EndMarkBeforeEnd() ? LinesGoOn::TextEndsAtMark : LinesGoOn::TextEnds;
}

bool LineReader::TooLong(std::size_t length) {
  if (length <= longestLine_) return false;
  if (!error_) {
    error_ = LineTooLong(path_, longestLine_);
    lineTooLong_ = true;
  }
  begin_ = end_;
  mark_ = kNoMark;
  physicalEnd_ = textEnded_ = true;
  return true;
}

std::string_view LineReader::Take(std::size_t length, std::size_t next) {
  if (TooLong(length)) return {};
  const std::string_view line(buffer_.data() + begin_, length);
  begin_ = next;
  return line;
}

std::string_view LineReader::ReadLine() {
  if (AtEnd()) return {};
  size_t scanned = begin_;  // bytes before this hold no CR
  for (;;) {
    // No line reaches past the first 0x1A.
    const size_t limit = mark_ == kNoMark ? end_ : mark_;
    const char* base = buffer_.data();
    const char* cr = static_cast<const char*>(std::memchr(base + scanned, '\r', limit - scanned));
    if (cr) {
      const size_t at = static_cast<size_t>(cr - base);
      if (at + 1 == end_ && !physicalEnd_) {
        // The LF that may follow is not read yet.
        if (TooLong(at - begin_)) return {};
        const size_t offset = at - begin_;
        Fill();
        scanned = begin_ + offset;
        continue;
      }
      return Take(at - begin_, AfterLineEnd({buffer_.data(), end_}, at));
    }
    if (mark_ != kNoMark) {
      textEnded_ = true;
      return Take(mark_ - begin_, mark_);
    }
    // No line end in what is read: read more, or the last line ends the file.
    // A line already longer than allowed is not read on.
    const size_t offset = end_ - begin_;
    if (TooLong(offset)) return {};
    if (!Fill()) return Take(end_ - begin_, end_);
    scanned = begin_ + offset;
  }
}

std::optional<std::string_view> LineReader::PeekFirstLine() {
  if (AtEnd()) return std::nullopt;
  const std::string_view line = ReadLine();
  if (error_) return std::nullopt;
  // Nothing is dropped from the buffer before a line has been taken, so
  // line 1 still lies at its start.
  begin_ = 0;
  textEnded_ = false;
  return line;
}

std::string_view LineReader::TakeLines(ByteBuffer& into) {
  if (AtEnd()) return {};
  size_t scanned = begin_;  // bytes from here on may hold the last line end
  for (;;) {
    const size_t limit = mark_ == kNoMark ? end_ : mark_;
    // A CR that ends what is read may wait for its LF.
    const bool lfUnknown = mark_ == kNoMark && !physicalEnd_;
    const size_t searchEnd = lfUnknown && limit > begin_ && buffer_[limit - 1] == '\r' ? limit - 1 : limit;
    size_t at = searchEnd;
    while (at > scanned && buffer_[at - 1] != '\r') --at;
    if (at > scanned) return Hand(into, AfterLineEnd({buffer_.data(), end_}, at - 1));
    if (mark_ != kNoMark) {
      const std::string_view lines = Hand(into, mark_);
      textEnded_ = true;
      return lines;
    }
    // No line end in what is read: read more, or the last line ends the file.
    if (TooLong(searchEnd - begin_)) return {};
    const size_t offset = searchEnd - begin_;
    if (!Fill()) {
      if (error_) {
        begin_ = end_;  // the line is cut short: it is no line
        return {};
      }
      return Hand(into, end_);
    }
    scanned = begin_ + offset;
  }
}

std::string_view LineReader::Hand(ByteBuffer& into, std::size_t cut) {
  const size_t end = begin_ + FirstLineLongerThan({buffer_.data() + begin_, cut - begin_}, longestLine_);
  // The rest moves into the buffer that comes in.
  const size_t rest = end_ - cut;
  if (into.size() < rest) into.Grow(rest);
  if (rest > 0) std::memcpy(into.data(), buffer_.data() + cut, rest);  // an empty buffer may have no memory
  swap(into, buffer_);
  const std::string_view lines(into.data() + begin_, end - begin_);
  consumedBefore_ += static_cast<std::int64_t>(cut);
  if (mark_ != kNoMark) mark_ -= cut;
  begin_ = 0;
  end_ = rest;
  if (end < cut) TooLong(longestLine_ + 1);
  return lines;
}

// ---- LineWriter ----

// The thread that writes full buffers. Only `pending`, `busy`, `stop` and
// `error` are shared, always under `lock`.
struct LineWriter::Background {
  std::mutex lock;
  std::condition_variable changed;
  std::string pending;  // bytes to write, handed over by the filling thread
  bool busy = false;    // `pending` holds bytes not yet written
  bool stop = false;
  std::optional<platform::SystemError> error;  // of the first failed write
  std::thread thread;

  void Run(platform::File& file) {
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
      changed.wait(held, [this] { return busy || stop; });
      if (!busy) return;
      held.unlock();
      std::optional<platform::SystemError> failure = file.Write(pending.data(), pending.size());
      held.lock();
      if (!error) error = failure;
      pending.clear();
      busy = false;
      changed.notify_all();
    }
  }
};

LineWriter::LineWriter() = default;
LineWriter::LineWriter(std::size_t bufferSize) : bufferSize_(bufferSize > 0 ? bufferSize : 1) {}
LineWriter::~LineWriter() { Close(); }

std::optional<IoError> LineWriter::Open(const std::filesystem::path& path, Mode mode,
                                        const std::filesystem::path& shownPath) {
  Close();
  path_ = shownPath.empty() ? path : shownPath;
  error_.reset();
  if (auto bad = CheckFileName(platform::PathToUtf8(path))) return bad;
  const auto access = mode == Mode::Create ? platform::File::Access::Create : platform::File::Access::Append;
  if (auto error = file_.Open(path, access)) return DescribeIoError(*error, path_);
  buffer_.clear();
  buffer_.reserve(bufferSize_);
  return std::nullopt;
}

void LineWriter::Open(platform::File file, const std::filesystem::path& shownPath) {
  Close();
  path_ = shownPath;
  error_.reset();
  file_ = std::move(file);
  buffer_.clear();
  buffer_.reserve(bufferSize_);
}

void LineWriter::Append(std::string_view bytes) {
  if (error_ || !file_.IsOpen()) return;
  if (buffer_.size() + bytes.size() > bufferSize_ && !buffer_.empty()) {
    HandOver();
    if (error_) return;
  }
  if (bytes.size() >= bufferSize_) {
    // A piece that fills the buffer by itself (a long line) is written from
    // where it lies, once the bytes before it are written: it is never copied.
    WaitForBackground();
    WriteOut(bytes);
    return;
  }
  buffer_.append(bytes);
  if (buffer_.size() >= bufferSize_) HandOver();
}

void LineWriter::HandOver() {
  if (!background_) {
    // Taken on only once its thread runs: a thread that cannot be started
    // leaves no background to wait for.
    auto background = std::make_unique<Background>();
    background->pending.reserve(bufferSize_);
    background->thread = std::thread([b = background.get(), file = &file_] { b->Run(*file); });
    background_ = std::move(background);
  }
  WaitForBackground();
  if (error_) {
    buffer_.clear();
    return;
  }
  {
    std::lock_guard<std::mutex> held(background_->lock);
    std::swap(background_->pending, buffer_);
    background_->busy = true;
  }
  background_->changed.notify_all();
  buffer_.clear();  // the background's former buffer, its capacity kept
}

void LineWriter::WaitForBackground() {
  if (!background_) return;
  std::unique_lock<std::mutex> held(background_->lock);
  background_->changed.wait(held, [this] { return !background_->busy; });
  if (background_->error && !error_) error_ = DescribeIoError(*background_->error, path_);
}

void LineWriter::StopBackground() {
  if (!background_) return;
  WaitForBackground();
  {
    std::lock_guard<std::mutex> held(background_->lock);
    background_->stop = true;
  }
  background_->changed.notify_all();
  background_->thread.join();
  background_.reset();
}

void LineWriter::WriteOut(std::string_view bytes) {
  if (bytes.empty() || error_) return;
  if (auto error = file_.Write(bytes.data(), bytes.size())) error_ = DescribeIoError(*error, path_);
}

std::optional<IoError> LineWriter::Close() {
  if (!file_.IsOpen()) return error_;
  StopBackground();  // what it holds is written before the rest
  if (!error_) WriteOut(buffer_);
  buffer_.clear();
  if (auto error = file_.Close(); error && !error_) error_ = DescribeIoError(*error, path_);
  return error_;
}

}  // namespace sifta
