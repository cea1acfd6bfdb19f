// The layout of a source file, learnt from its first line or two: the kind of
// heading record, how many items a record has and how many of them are the
// leading RID items.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "inspect/TextFile.h"

namespace sifta {

enum class HeadingKind {
  Standard,  // RID item names, then BODY cells named ｾﾙ<n>: recognised by itself
  User,      // a heading of the user's own: the user answered Yes
  None,      // no heading, line 1 is a record: the user answered No
};

// Invariants: ridItemCount + bodyCellCount == itemCount; ridItemCount is 0
// unless headingKind is Standard. Item n is a RID item when n <= ridItemCount,
// else BODY cell n - ridItemCount. itemCount always counts the items of line 1
// (commas outside double quotes, plus 1); an unterminated quote on line 1
// makes it 0, and such a layout is refused by the plan.
// Texts are code page 932 bytes exactly as read, of a line longer than
// kLayoutTextLimit only what KeptLayoutText keeps; fileName is the file's
// name in UTF-8, as chosen or typed.
struct FileLayout {
  std::string fileName;
  HeadingKind headingKind = HeadingKind::None;
  std::string headingText;  // line 1; empty for None
  std::string firstRecord;  // line 2, or line 1 for None
  int itemCount = 0;
  int ridItemCount = 0;
  int bodyCellCount = 0;
};

// What a layout keeps of a line: all of it up to `limit` bytes; of a longer
// line the items that end within its first `limit` bytes (without the comma
// after the last of them). A layout is held as long as its source is chosen,
// beside the run's own line and output line; the item list shows the kept
// items (the later ones as empty items) and a code key is learnt from them.
// The counts of a layout are always those of the whole line.
constexpr std::size_t kLayoutTextLimit = std::size_t{1} << 20;
std::string KeptLayoutText(std::string_view line, std::size_t limit = kLayoutTextLimit);

// Line 1 is a standard heading when ",ｾﾙ" occurs in it (never starting on a
// trail byte; double quotes are not considered) and it does not begin with
// "ｾﾙ". ridItemCount is then the number of items before the first item that
// begins with ｾﾙ.
struct StandardHeading {
  int ridItemCount = 0;
};
std::optional<StandardHeading> DetectStandardHeading(std::string_view line);

// Position (1-based) of the first ",ｾﾙ" in `line`, 0 when there is none.
int FindCellMarker(std::string_view line);

// What line 1 of a file says of its layout under a heading kind already
// known: its items, and for a standard heading its RID items (0 when the
// line is no standard heading). The files of a series are cut by the layout
// of the one chosen; a file whose line 1 gives other counts is not of that
// layout.
struct LayoutCounts {
  int itemCount = 0;
  int ridItemCount = 0;
  friend bool operator==(const LayoutCounts&, const LayoutCounts&) = default;
};
LayoutCounts CountsOfLineOne(std::string_view line, HeadingKind kind);
LayoutCounts CountsOf(const FileLayout& layout);

// The answer to the question box shown when line 1 is no standard heading:
// User (Yes), None (No), or nothing (Cancel, or the box closed).
using ChooseHeadingKind = std::function<std::optional<HeadingKind>()>;

// Called as soon as the heading kind is known, before line 2 is read, so that
// the window can switch the kind-dependent controls.
using HeadingKindKnown = std::function<void(HeadingKind)>;

struct LayoutCancelled {};
// A Standard or User heading and no record after it. `layout` holds the new
// file's name, kind, heading and counts; its firstRecord is empty.
struct LayoutNoData {
  FileLayout layout;
};
using LayoutResult = std::variant<FileLayout, LayoutCancelled, LayoutNoData, IoError>;

// The rest of a layout once line 1 is read and the kind is set: for None the
// first record is line 1; otherwise line 1 is the heading and line 2 the first
// record, or there is no data when the file ends after line 1. `line1` is
// what the layout keeps of line 1.
using RecordLayoutResult = std::variant<FileLayout, LayoutNoData, IoError>;
RecordLayoutResult ReadFirstRecord(LineReader& reader, FileLayout layout, std::string line1);

// Opens `path`, reads at most two lines and closes the file on every outcome.
// `blockSize` is the reader's (tests read small files in small blocks).
LayoutResult ReadFileLayout(const std::filesystem::path& path, const ChooseHeadingKind& choose,
                            const HeadingKindKnown& known = {},
                            std::size_t blockSize = LineReader::kDefaultBlockSize);

}  // namespace sifta
