// The reference forms of the steps of the record loop, built literally on
// the scanning operations. The loop itself uses a faster way that gives the
// same bytes (RecordCutter); the tests and the fuzz targets hold it against
// these.
#pragma once

#include <string>
#include <string_view>

#include "run/ExtractionPlan.h"
#include "scan/Scanning.h"

namespace sifta {

// The kept items of `line` joined by commas: zeroing off for the heading,
// on for records. Items the line does not hold are written as empty items.
std::string BuildOutputLine(const ExtractionPlan& plan, std::string_view line, bool zeroing);

// The key of `line` in the modes Code and Value, double quotes and commas
// deleted.
std::string BuildRecordKey(const ExtractionPlan& plan, std::string_view line);

// Appends the span of `line` to `out` with every quoted item written as 0,
// then a comma.
void ZeroQuotedItems(std::string_view line, const ItemSpan& span, std::string& out);

// Replaces every comma-separated field of `out` from `bodyStart` (1-based)
// that equals a special string by "0".
void ZeroSpecialStrings(const ExtractionPlan& plan, std::string& out, int bodyStart);

// Whether `key` lies in a code range of the plan (before extractAllExcept).
bool KeyMatches(const ExtractionPlan& plan, std::string_view key);

}  // namespace sifta
