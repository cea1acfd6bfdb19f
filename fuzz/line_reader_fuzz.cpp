// The line reader against a trivially correct splitter of the line rule
// (CR, CR LF, any other LF ordinary, 0x1A ends the text), with block sizes
// small enough to put a block boundary anywhere; then the writer, whose file
// must be every line followed by CR LF, written in pieces through a small
// buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "inspect/TextFile.h"
#include "support/Reference.h"

using fuzz::Printable;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryFile source("line-reader-source");
  static fuzz::MemoryFile written("line-reader-written");

  FuzzedDataProvider in(data, size);
  const uint8_t blockPick = in.ConsumeIntegral<uint8_t>();
  const uint8_t bufferPick = in.ConsumeIntegral<uint8_t>();
  const uint32_t pieceSeed = in.ConsumeIntegral<uint32_t>();
  const std::string bytes = in.ConsumeRemainingBytesAsString();
  // Mostly tiny blocks; now and then the default block.
  const size_t block = blockPick == 255 ? sifta::LineReader::kDefaultBlockSize : 1 + blockPick % 17;
  const std::string what = "block " + std::to_string(block) + " file \"" + Printable(bytes) + "\"";

  std::vector<size_t> ends;
  const std::vector<std::string> want = ref::Lines(bytes, &ends);
  source.Set(bytes);

  const int freeBefore = fuzz::LowestFreeDescriptor();
  std::vector<std::string> got;
  {
    sifta::LineReader reader(block);
    CHECK(!reader.Open(source.Path()), what);
    while (!reader.AtEnd()) {
      CHECK(got.size() < want.size(), what + ": more lines than " + std::to_string(want.size()));
      got.emplace_back(reader.ReadLine());
      const size_t i = got.size() - 1;
      CHECK(got[i] == want[i], what + ": line " + std::to_string(i + 1) + " \"" + Printable(got[i]) +
                                   "\" want \"" + Printable(want[i]) + "\"");
      CHECK(reader.Consumed() == static_cast<std::int64_t>(ends[i]),
            what + ": consumed " + std::to_string(reader.Consumed()) + " after line " +
                std::to_string(i + 1) + ", want " + std::to_string(ends[i]));
    }
    CHECK(got.size() == want.size(),
          what + ": " + std::to_string(got.size()) + " lines, want " + std::to_string(want.size()));
    CHECK(!reader.Error(), what + ": " + reader.Error()->message);
    // Past the end: empty lines, and still at the end.
    CHECK(reader.ReadLine().empty() && reader.AtEnd() && reader.ReadLine().empty(), what);
  }
  CHECK(fuzz::LowestFreeDescriptor() == freeBefore, what + ": a descriptor was left open");

  // The writer: each line in pieces, through a buffer of a few bytes.
  {
    const size_t buffer = 1 + bufferPick % 23;
    sifta::LineWriter writer(buffer);
    CHECK(!writer.Open(written.Path(), sifta::LineWriter::Mode::Create), what);
    std::string expected;
    uint32_t seed = pieceSeed;
    for (const std::string& line : want) {
      size_t at = 0;
      while (at < line.size()) {
        seed = seed * 1103515245u + 12345u;
        const size_t piece = std::min(line.size() - at, size_t{1} + (seed >> 16) % 9);
        writer.Append(std::string_view(line).substr(at, piece));
        at += piece;
      }
      writer.EndLine();
      expected += line + "\r\n";
    }
    CHECK(!writer.Close(), what);
    const std::string file = written.Get();
    CHECK(file == expected,
          what + ": written \"" + Printable(file) + "\" want \"" + Printable(expected) + "\"");
    // Appending adds after what is there.
    CHECK(!writer.Open(written.Path(), sifta::LineWriter::Mode::Append), what);
    writer.WriteLine("x");
    CHECK(!writer.Close(), what);
    CHECK(written.Get() == expected + "x\r\n", what + ": append");
  }
  CHECK(fuzz::LowestFreeDescriptor() == freeBefore, what + ": the writer left a descriptor open");
  return 0;
}
