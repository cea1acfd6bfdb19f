// Scanning of code page 932 (Shift-JIS) text: the reference operations that
// every scan over a CSV line, a file name or a grid cell goes through.
//
// Rules shared by all of them:
//  - texts are byte strings; positions are 1-based byte positions, lengths are
//    byte counts; in results 0 means "not found" and -1 means "a quote character
//    opens a stretch that never closes";
//  - a match never begins on the trail byte of a double-byte character, so a
//    trail byte 0x5C, 0x40 or 0x7C is never taken for '\', '@' or '|';
//  - with a quote character given, everything from a quote character to the
//    next one is passed over whole: a separator inside it is no separator.
//
// The record loop has faster ways of splitting a line (ItemBoundaries.h); they
// must give exactly the results of these operations.
#pragma once

#include <string>
#include <string_view>

namespace sifta {

enum class ByteClass { Single, Lead, Trail };

// Lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Class of the byte at `position`: trail when the run of lead-byte values just
// before it is odd in length, else lead or single by its own value.
ByteClass ByteClassAt(std::string_view text, int position);

// First occurrence of `sought` lying wholly within start..end (end 0 = the
// length of the text) outside quoted stretches. `quote` is one byte or empty
// (quoting off). The closing quote of a stretch is looked for up to the end of
// the whole text, not only up to `end`.
int FindUnquoted(std::string_view text, int start, int end, std::string_view sought, std::string_view quote);

// The n-th such occurrence (n >= 1) over the whole text; 0 if there are fewer.
int FindNthUnquoted(std::string_view text, std::string_view sought, int n, std::string_view quote);

// Number of such occurrences within start..end (end 0 = length); matches may
// overlap ("aa" occurs twice in "aaa"). -1 on an unterminated stretch.
int CountUnquoted(std::string_view text, int start, int end, std::string_view sought, std::string_view quote);

// Removes every such occurrence from the whole text, in place. 1 when done;
// -1 on an unterminated stretch (the removals before it are kept).
int DeleteUnquoted(std::string& text, std::string_view sought, std::string_view quote);

// The text without the blank bytes (0x00-0x20) at its start ("L"), its end
// ("R") or both ("B"); any other side code gives the text unchanged. The
// ideographic space 0x81 0x40 is not blank.
std::string TrimBlanks(std::string_view side, std::string_view text);

// A stretch of whole items of a CSV line. `start` is the position of its first
// byte, `end` of its last, `length` = end - start + 1 (0 for an empty item,
// whose end is start - 1). The span includes the quotes of its items and the
// commas between them.
//
// `missingItems` counts the items asked for that the line does not hold. It is
// 0 for every line that has all the items asked for. A caller that writes the
// span as items writes that many empty items after it, so that every record
// keeps the layout's columns.
struct ItemSpan {
  int start = 1;
  int end = 0;
  int length = 0;
  int missingItems = 0;
};

// Items first..last (1-based, first <= last) of `line`, counted from the item
// that begins at `startPos` (every caller passes 1). Items are separated by
// commas outside double-quoted stretches.
//
// Lines that do not hold the items asked for. The steps of the algorithm taken
// literally would start searching again at position 1 and deliver an item of
// the front of the line; this function never does that. Instead, and so that
// every span lies within the line:
//  - when the line ends before item `first`, the span is the empty item just
//    past the line's end (start = length + 1, end = length) and
//    missingItems = last - first;
//  - when the line ends after item k (first <= k < last), the span runs from
//    item `first` to the end of the line and missingItems = last - k;
//  - a double quote that opens a stretch without closing it makes the rest of
//    the line part of the item in which it stands; no item follows it.
ItemSpan LocateItems(std::string_view line, int startPos, int first, int last);

// 0 when every byte is a digit 0-9 (also for the empty text); -1 otherwise.
int IsAllDigits(std::string_view text);

}  // namespace sifta
