#include "inspect/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#endif

#include "inspect/LineRules.h"
#include "inspect/PositionalLines.h"
#include "scan/Cp932.h"
#include "scan/TempFolder.h"

namespace sifta {
namespace {

using testing::LinesByTheRule;
using testing::TempFolder;
using Lines = std::vector<std::string>;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads every line with AtEnd / ReadLine as the callers do, checking on the
// way that AtEnd is stable, that reading past the end gives empty lines and
// that the consumed byte count ends at the end of the text.
Lines ReadLines(const std::string& path, size_t blockSize, size_t textLength) {
  LineReader reader(blockSize);
  EXPECT_FALSE(reader.Open(path));
  Lines lines;
  while (!reader.AtEnd()) {
    EXPECT_FALSE(reader.AtEnd()) << "AtEnd is stable";
    lines.emplace_back(reader.ReadLine());
    if (lines.size() > textLength + 1) break;  // a reader that never ends
  }
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.Error());
  EXPECT_EQ(reader.Consumed(), static_cast<std::int64_t>(textLength));
  return lines;
}

// Reads with ReadLine alone, stopping at the first empty line past the end.
Lines ReadWithoutAtEnd(const std::string& path, size_t blockSize, size_t expected) {
  LineReader reader(blockSize);
  EXPECT_FALSE(reader.Open(path));
  Lines lines;
  for (size_t i = 0; i < expected; ++i) lines.emplace_back(reader.ReadLine());
  EXPECT_TRUE(reader.AtEnd());
  return lines;
}

struct LineCase {
  const char* name;
  std::string bytes;
  Lines lines;
};

class LineReaderCases : public ::testing::TestWithParam<LineCase> {
 protected:
  TempFolder temp;
};

TEST_P(LineReaderCases, WholeAndSplitAtEveryOffset) {
  const LineCase& c = GetParam();
  ASSERT_EQ(LinesByTheRule(c.bytes), c.lines) << "the table agrees with the rule";
  const std::string path = temp.Write("in.txt", c.bytes);
  const size_t text = std::min(c.bytes.size(), c.bytes.find('\x1A'));
  EXPECT_EQ(ReadLines(path, LineReader::kDefaultBlockSize, text), c.lines) << "whole";
  // A block of k bytes puts the first boundary after byte k, the next ones
  // wherever the buffer's refills put them.
  for (size_t block = 1; block <= c.bytes.size() + 1; ++block) {
    EXPECT_EQ(ReadLines(path, block, text), c.lines) << "block " << block;
    EXPECT_EQ(ReadWithoutAtEnd(path, block, c.lines.size()), c.lines) << "block " << block;
  }
}

const std::string kTable = "\x95\x5C";      // 表: trail byte 0x5C
const std::string kSo = "\x83\x5C";         // ソ
const std::string kFullComma = "\x81\x43";  // ，

INSTANTIATE_TEST_SUITE_P(
    Rules, LineReaderCases,
    ::testing::Values(
        LineCase{"Empty", "", {}}, LineCase{"OnlyEof", "\x1A", {}}, LineCase{"OnlyCrLf", "\r\n", {""}},
        LineCase{"OnlyCr", "\r", {""}}, LineCase{"OnlyLf", "\n", {"\n"}},
        LineCase{"CrLf", "a,b\r\nc,d\r\n", {"a,b", "c,d"}}, LineCase{"Cr", "a,b\rc,d\r", {"a,b", "c,d"}},
        LineCase{"LoneLfIsAByte", "a\nb\nc\n", {"a\nb\nc\n"}},
        LineCase{"NoLineEndAtTheEnd", "a\r\nbc", {"a", "bc"}},
        LineCase{"EmptyLines", "\r\n\r\n\r\r\n", {"", "", "", ""}},
        LineCase{"LfAfterCrLfIsTheNextLine", "a\r\n\nb\r\n", {"a", "\nb"}},
        LineCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}}, LineCase{"LfCr", "a\n\rb", {"a\n", "b"}},
        LineCase{"EofInTheMiddle",
                 "ab\x1A"
                 "cd\r\nef\r\n",
                 {"ab"}},
        LineCase{"EofAtTheStart",
                 "\x1A"
                 "ab\r\n",
                 {}},
        LineCase{"EofAfterALineEnd",
                 "ab\r\n\x1A"
                 "cd\r\n",
                 {"ab"}},
        LineCase{"EofAfterCr", "ab\r\x1A\ncd", {"ab"}}, LineCase{"EofThenLineEnd", "ab\x1A\r\n", {"ab"}},
        LineCase{"DoubleByteCharacters",
                 kTable + "," + kSo + "\r\n" + kFullComma + "\r\n",
                 {kTable + "," + kSo, kFullComma}},
        LineCase{"LeadByteBeforeCr", "a\x81\r\nb\x9F\rc", {"a\x81", "b\x9F", "c"}},
        LineCase{"QuotedLineBreakIsNotJoined", "\"a\r\nb\",c\r\nd", {"\"a", "b\",c", "d"}},
        LineCase{"NulBytes", std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string("\0", 1)}},
        LineCase{"HighBytes", "\xFF\xFD\xA0\r\n\x80", {"\xFF\xFD\xA0", "\x80"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineReader, RandomFilesAgreeWithTheRuleAtAnyBlockSize) {
  TempFolder temp;
  std::mt19937 random(20240601);
  const char alphabet[] = {'a', ',', '"', '\r', '\n', '\x1A', '\x81', '\x5C', '\xE0', '\x40'};
  // 0x1A is rare, so that most files have lines after the first few.
  std::discrete_distribution<int> pick({30, 10, 5, 15, 15, 1, 8, 5, 5, 5});
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 200, ' ');
    for (char& b : bytes) b = alphabet[pick(random)];
    const std::string path = temp.Write("in.txt", bytes);
    const size_t text = std::min(bytes.size(), bytes.find('\x1A'));
    const size_t block = 1 + random() % 40;
    ASSERT_EQ(ReadLines(path, block, text), LinesByTheRule(bytes)) << "round " << round;
  }
}

TEST(LineReader, LineLongerThanTheBlockAndMemoryFollowsTheLongestLine) {
  TempFolder temp;
  std::string bytes;
  for (int i = 0; i < 2000; ++i) bytes += "0001,\"ab\",125\r\n";
  const std::string longLine(100000, 'x');
  bytes += longLine + "\r\n";
  for (int i = 0; i < 2000; ++i) bytes += "0002,cd,7\r\n";
  const std::string path = temp.Write("in.txt", bytes);

  LineReader reader(64);
  ASSERT_FALSE(reader.Open(path));
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(reader.ReadLine(), "0001,\"ab\",125");
  EXPECT_LE(reader.BufferSize(), 2u * 64) << "short lines never make the buffer grow";
  EXPECT_EQ(reader.ReadLine(), longLine);
  const size_t afterLong = reader.BufferSize();
  EXPECT_LE(afterLong, 2u * (longLine.size() + 2 * 64));
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(reader.ReadLine(), "0002,cd,7");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.BufferSize(), afterLong);
}

// The longest line allowed, at every block size and line end: a line of
// exactly the limit is read; one byte more ends the text there with the
// message, every line before it is read as it stands, and the buffer never
// grows much beyond the limit.
TEST(LineReader, LineLongerThanTheLimitEndsTheTextWithItsMessage) {
  TempFolder temp;
  constexpr size_t kLimit = 12;
  const std::string at(kLimit, 'a');
  const std::string over(kLimit + 1, 'b');
  struct Case {
    std::string bytes;
    Lines lines;  // read before the end
    bool tooLong;
  };
  const std::vector<Case> cases{
      {"x\r\n" + at + "\r\ny", {"x", at, "y"}, false},
      {"x\r" + at + "\r", {"x", at}, false},
      {"x\r\n" + at, {"x", at}, false},
      {"x\r\n" + at + "\x1A" + over, {"x", at}, false},
      {"x\r\n" + over + "\r\ny", {"x"}, true},
      {"x\r\n" + over + "\r", {"x"}, true},
      {"x\r\n" + over, {"x"}, true},
      {"x\r\n" + over + "\x1A", {"x"}, true},
      {over + std::string(100000, 'c') + "\r\ny", {}, true},
  };
  for (const Case& c : cases) {
    const std::string path = temp.Write("long.csv", c.bytes);
    for (size_t block = 1; block <= kLimit + 3; ++block) {
      const std::string what =
          ::testing::PrintToString(c.bytes.substr(0, 40)) + " block " + std::to_string(block);
      LineReader reader(block, kLimit);
      ASSERT_FALSE(reader.Open(path));
      Lines lines;
      while (!reader.AtEnd()) {
        const std::string_view line = reader.ReadLine();
        if (reader.Error()) break;
        lines.emplace_back(line);
      }
      EXPECT_EQ(lines, c.lines) << what;
      EXPECT_TRUE(reader.AtEnd()) << what;
      EXPECT_EQ(reader.ReadLine(), "") << what;
      EXPECT_LE(reader.BufferSize(), kLimit + 1 + 2 * block) << what;
      ASSERT_EQ(reader.Error().has_value(), c.tooLong) << what;
      if (c.tooLong) {
        EXPECT_EQ(reader.Error()->message.find(Sj("1行が長すぎて読めません（1行は12バイトまでです）。")), 0u);
        EXPECT_NE(reader.Error()->message.find(Sj("行末をCR LFにしてください")), std::string::npos);
        EXPECT_NE(reader.Error()->message.find("long.csv"), std::string::npos) << "the file is named";
      }
    }
  }
  // The limit as the message states it.
  const std::string path = temp.Write("kb.csv", std::string(1025, 'x'));
  LineReader reader(64, 1024);
  ASSERT_FALSE(reader.Open(path));
  reader.ReadLine();
  ASSERT_TRUE(reader.Error());
  EXPECT_EQ(reader.Error()->message.find(Sj("1行が長すぎて読めません（1行は1KBまでです）。")), 0u);
}

TEST(LineReader, LfOnlyFileOfManyMegabytesIsOneLine) {
  TempFolder temp;
  std::string bytes;
  bytes.reserve(24u << 20);
  while (bytes.size() < (24u << 20)) bytes += "0001,ab,125,\"x\"\n";
  const std::string path = temp.Write("lf.txt", bytes);
  LineReader reader;
  ASSERT_FALSE(reader.Open(path));
  EXPECT_EQ(reader.ReadLine().size(), bytes.size());
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.Error());
}

TEST(LineReader, MissingFileFolderAndReadError) {
  TempFolder temp;
  LineReader reader;
  const auto missing = reader.Open(temp / "missing.csv");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->message.find(Sj("ファイルが見つかりません")), 0u);
  EXPECT_NE(missing->message.find("missing.csv"), std::string::npos) << "the name follows";
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.ReadLine(), "");

  const auto folder = reader.Open(temp.Path().string());
  ASSERT_TRUE(folder);
  EXPECT_FALSE(reader.IsOpen());

  // Reading /proc/self/mem at offset 0 fails with EIO: the text ends there
  // and the error is kept.
  if (!reader.Open("/proc/self/mem")) {
    EXPECT_TRUE(reader.AtEnd());
    ASSERT_TRUE(reader.Error());
    EXPECT_EQ(reader.Error()->message.find(Sj("入出力エラーです")), 0u);
  }
}

// Blocks read by position where reading fails part of the way: the lines
// before the failure, not the line it cuts short (even when a CR ends what
// could be read: an LF may follow it), then the error; a block inside a
// line gives nothing (the line's own block tells how it ends). The file is
// the memory of this process, with a page that is not mapped.
TEST(LineReader, BlockCutShortByAReadError) {
#if defined(__linux__)
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  auto* pages =
      static_cast<char*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(pages, MAP_FAILED);
  munmap(pages + page, page);
  std::memset(pages, 'x', page);
  std::memcpy(pages, "a,1\r\nb,2\r\n", 10);
  LineReader reader(16);
  if (reader.Open("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem";
  const auto start = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(pages));
  const PositionalLines lines(reader, start);
  const auto block = [&lines](std::int64_t offset) {
    LineChunk chunk;
    chunk.offset = offset;
    lines.Read(chunk);
    return chunk;
  };
  for (const char lastByte : {'x', '\r'}) {
    pages[page - 1] = lastByte;
    const LineChunk first = block(start);
    EXPECT_EQ(first.lines, "a,1\r\nb,2\r\n") << lastByte;
    EXPECT_EQ(first.after, LinesGoOn::ReadError);
    ASSERT_TRUE(first.error);
    EXPECT_EQ(first.error->message.find(Sj("入出力エラーです")), 0u);
  }
  const LineChunk inside = block(start + 32);
  EXPECT_EQ(inside.lines, "");
  EXPECT_EQ(inside.after, LinesGoOn::More);
  const LineChunk past = block(start + static_cast<std::int64_t>(page));
  EXPECT_EQ(past.lines, "");
  EXPECT_EQ(past.after, LinesGoOn::ReadError);
  munmap(pages, page);
#else
  GTEST_SKIP() << "reads the memory of the process as a file";
#endif
}

TEST(LineReader, TellsWhetherBytesFollowTheEndMark) {
  TempFolder folder;
  const std::string path = (folder.Path() / "f.csv").string();
  const std::vector<std::pair<std::string, bool>> cases{{"", false},
                                                        {"a", false},
                                                        {"a\r\n", false},
                                                        {"a\r\n\x1A", false},
                                                        {"a\x1A", false},
                                                        {"a\x1A"
                                                         "b",
                                                         true},
                                                        {"\x1A\r\n", true},
                                                        {"a\r\n\x1A\x1A", true}};
  for (const auto& [bytes, follow] : cases) {
    std::ofstream(path, std::ios::binary) << bytes;
    for (size_t block = 1; block <= bytes.size() + 1; ++block) {
      LineReader reader(block);
      ASSERT_FALSE(reader.Open(path));
      while (!reader.AtEnd()) reader.ReadLine();
      EXPECT_EQ(reader.EndMarkBeforeEnd(), follow) << ::testing::PrintToString(bytes) << block;
    }
  }
}

TEST(LineReader, ReopenStartsAfresh) {
  TempFolder temp;
  const std::string a = temp.Write("a.txt", "1\x1A");
  const std::string b = temp.Write("b.txt", "2\r\n3");
  for (size_t block : {size_t{1}, LineReader::kDefaultBlockSize}) {
    LineReader reader(block);
    ASSERT_FALSE(reader.Open(a));
    EXPECT_EQ(reader.ReadLine(), "1");
    EXPECT_TRUE(reader.AtEnd());
    ASSERT_FALSE(reader.Open(b));
    EXPECT_EQ(reader.ReadLine(), "2");
    EXPECT_EQ(reader.Consumed(), 3);
    // A failed open in the middle leaves nothing of the file before.
    EXPECT_TRUE(reader.Open(temp / "missing.txt"));
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.ReadLine(), "");
    EXPECT_EQ(reader.Consumed(), 0);
  }
}

// ---- LineWriter ----

TEST(LineWriter, EveryLineEndsWithCrLfAtAnyBufferSize) {
  TempFolder temp;
  const Lines lines = {
      "ID,\xBE\xD9"
      "1",
      "", "a\nb", std::string(300, 'z'), kTable};
  std::string expected;
  for (const auto& line : lines) expected += line + "\r\n";
  for (size_t buffer : {size_t{1}, size_t{7}, size_t{256}, LineWriter::kDefaultBufferSize}) {
    const std::string path = temp / "out.csv";
    LineWriter writer(buffer);
    ASSERT_FALSE(writer.Open(path, LineWriter::Mode::Create));
    for (const auto& line : lines) {
      // In pieces, as the record loop writes the items of a record.
      const size_t half = line.size() / 2;
      writer.Append(std::string_view(line).substr(0, half));
      writer.Append(std::string_view(line).substr(half));
      writer.EndLine();
    }
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(ReadAll(path), expected) << "buffer " << buffer;
  }
}

TEST(LineWriter, CreateReplacesAndAppendAdds) {
  TempFolder temp;
  const std::string path = temp.Write("out.csv", "old contents, longer than the new\r\n");
  {
    LineWriter writer;
    ASSERT_FALSE(writer.Open(path, LineWriter::Mode::Create));
    writer.WriteLine("h");
  }  // the destructor writes out and closes
  EXPECT_EQ(ReadAll(path), "h\r\n");
  LineWriter writer;
  ASSERT_FALSE(writer.Open(path, LineWriter::Mode::Append));
  writer.WriteLine("r1");
  EXPECT_FALSE(writer.Close());
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(ReadAll(path), "h\r\nr1\r\n");
  ASSERT_FALSE(writer.Open(temp / "new.csv", LineWriter::Mode::Append));
  writer.WriteLine("n");
  EXPECT_FALSE(writer.Close());
  EXPECT_EQ(ReadAll(temp / "new.csv"), "n\r\n");
}

TEST(LineWriter, FullDiskIsReportedAndLaterWritesDropped) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
  LineWriter writer(16);
  ASSERT_FALSE(writer.Open("/dev/full", LineWriter::Mode::Create));
  // A full buffer is written in the background: its error shows from the
  // next full buffer on, and at the latest on Close.
  writer.WriteLine("0123456789abcdef");
  writer.WriteLine("0123456789abcdef");
  ASSERT_TRUE(writer.Error());
  EXPECT_EQ(writer.Error()->message.find(Sj("ディスクに空き領域がありません")), 0u);
  writer.WriteLine("more");
  const auto closed = writer.Close();
  ASSERT_TRUE(closed);
  EXPECT_EQ(closed->message, writer.Error()->message);

  // With the default buffer the error shows at the latest on Close.
  LineWriter late;
  ASSERT_FALSE(late.Open("/dev/full", LineWriter::Mode::Create));
  late.WriteLine("x");
  EXPECT_TRUE(late.Close());
}

TEST(LineWriter, MissingFolderAndFolderAsFile) {
  TempFolder temp;
  LineWriter writer;
  const auto missing = writer.Open(temp / "no/such/out.csv", LineWriter::Mode::Create);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->message.find(Sj("パスが見つかりません")), 0u);
  const auto folder = writer.Open(temp.Path().string(), LineWriter::Mode::Create);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->message.find(Sj("フォルダーはファイルとして開けません")), 0u);
  EXPECT_FALSE(writer.IsOpen());
  writer.WriteLine("dropped");
  EXPECT_FALSE(writer.Close());
}

}  // namespace
}  // namespace sifta
