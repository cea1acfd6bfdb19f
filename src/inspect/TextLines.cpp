#include "inspect/TextLines.h"

#include <algorithm>

#include "scan/Scanning.h"

namespace sifta {

namespace {

// The pen of the text device over one job.
class TextDevice {
 public:
  explicit TextDevice(PageCanvas& canvas) : canvas_(canvas) {}

  // Writes `text`, which may hold control characters; false once a page could
  // not be started.
  bool Write(std::string_view text) {
    size_t runStart = 0;
    size_t i = 0;
    while (i < text.size() && ok_) {
      const unsigned char b = static_cast<unsigned char>(text[i]);
      if (b == '\t' || b == '\f' || b == '\n' || b == '\r') {
        Draw(text.substr(runStart, i - runStart));
        if (b == '\t') {
          const int stop = std::max(1, canvas_.AverageCharWidth() * 8);
          x_ = (x_ / stop + 1) * stop;
        } else if (b == '\f') {
          StartPage();
        } else if (b == '\n') {
          EndLine();
        }
        ++i;
        runStart = i;
      } else {
        i += CharLength(text, i);
      }
    }
    if (ok_) Draw(text.substr(runStart));
    return ok_;
  }

  bool EndLine() {
    x_ = 0;
    y_ += h_ == 0 ? canvas_.FontHeight() : h_;
    if (y_ > canvas_.PageHeight() - 2 * h_) StartPage();
    h_ = 0;
    return ok_;
  }

 private:
  // A lead byte and its trail byte form one character; a lead byte at the
  // very end stands alone.
  static size_t CharLength(std::string_view text, size_t i) {
    return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }

  // The end of the longest stretch of whole characters of `run` that fits
  // into `room`; 0 when not even the first one fits.
  size_t FittingLength(std::string_view run, int room, int& width) {
    size_t length = run.size();
    width = canvas_.TextWidth(run);
    if (width <= room) return length;
    // Character starts, so that the text is shortened a character at a time.
    std::vector<size_t> starts;
    for (size_t i = 0; i < run.size(); i += CharLength(run, i)) starts.push_back(i);
    for (size_t k = starts.size(); k-- > 0;) {
      length = starts[k];
      if (length == 0) break;
      width = canvas_.TextWidth(run.substr(0, length));
      if (width <= room) return length;
    }
    width = 0;
    return 0;
  }

  void Draw(std::string_view run) {
    while (!run.empty() && ok_) {
      int width = 0;
      size_t length = FittingLength(run, canvas_.PageWidth() - x_, width);
      if (length == 0 && x_ == 0) {
        // Not one character fits the page: draw it anyway, clipped.
        length = CharLength(run, 0);
        width = canvas_.TextWidth(run.substr(0, length));
      }
      if (length > 0) {
        const int height = canvas_.FontHeight();
        if (height > h_) h_ = height + 2;
        canvas_.DrawText(x_, y_, run.substr(0, length));
      }
      run.remove_prefix(length);
      if (!run.empty()) {
        EndLine();
      } else {
        x_ += width;
      }
    }
  }

  // Every page starts with the pen at (0, 0) and no line height.
  void StartPage() {
    x_ = 0;
    y_ = 0;
    h_ = 0;
    if (!canvas_.NewPage()) ok_ = false;
  }

  PageCanvas& canvas_;
  int x_ = 0;
  int y_ = 0;
  int h_ = 0;
  bool ok_ = true;
};

}  // namespace

bool PrintLines(const std::vector<std::string>& lines, PageCanvas& canvas) {
  static const std::string indent = "     ";
  TextDevice device(canvas);
  for (const std::string& line : lines) {
    if (!device.Write(indent + line) || !device.EndLine()) return false;
  }
  return true;
}

std::optional<IoError> SaveLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  LineWriter writer;
  if (std::optional<IoError> error = writer.Open(path, LineWriter::Mode::Create)) return error;
  for (const std::string& line : lines) {
    writer.WriteLine(line);
    if (writer.Error()) break;
  }
  return writer.Close();
}

}  // namespace sifta
