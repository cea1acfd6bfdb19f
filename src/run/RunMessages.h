// The texts that a run shows, in one place (code page 932). The @ dialog's
// refusals are here too, and the refusals of choosing a source file,
// which the batch driver shows as the window does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/FileLayout.h"
#include "inspect/TextFile.h"

namespace sifta {

// Run end: "** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。"
const std::string& FinishedMessage();
// The extract file of an iteration is one of the run's source files.
const std::string& ExtractIsSourceMessage();
// Added to an input/output error that stopped a run after an extract file
// was opened: the error text, then which extract file is incomplete.
std::string IncompleteExtractMessage(std::string_view errorText, std::string_view extractName);
// The finished extract could not replace the older file `extractName`, which
// stays as it was; the records are in the file `keptName` (code page 932),
// or, without one, could not be kept.
std::string ExtractNotReplacedMessage(std::string_view errorText, std::string_view extractName,
                                      const std::optional<std::string>& keptName);
// After the records kept in a temporary file, when the run stopped before
// its source was cut to the end.
const std::string& KeptRecordsCutShortNote();
// The source file `sourceName` changed while the run read it (written to,
// cut short or grown): what was read of it may be torn.
std::string SourceChangedMessage(std::string_view sourceName);
// Line 1 of the source file `sourceName` gives another number of items (or
// of RID items, `rid`) than the file chosen for the layout: `found` there,
// `chosen` in the chosen file.
std::string LayoutDiffersMessage(std::string_view sourceName, bool rid, int found, int chosen);
// The run (or the reading of a file) ran out of memory.
IoError OutOfMemoryError();
// Record `record` of the source file `sourceName` (0: its heading) has the
// bytes `bytes`, which have no Unicode form, and the extract is to be UTF-8.
IoError UnconvertibleLineError(std::string_view sourceName, std::int64_t record, std::string_view bytes);
// The items of the source column in the heading: for a series, and for a
// single file.
const std::string& SourceColumnSeriesHeading();  // "＠相当文字"
const std::string& SourceColumnFileHeading();    // "元ファイル名"
// An extract that Excel cannot open whole: more lines than its sheet has
// rows (the heading included), or a line of more items than it has columns.
// One line of the record count list, and of the driver's standard error.
std::string ExcelLimitNotice(std::string_view extractName, std::int64_t lines, int mostItems);
// The batch driver after a cancel: the extract file `extractName` (code page
// 932) holds only the records written before it.
std::string CancelledRunMessage(std::string_view extractName);
// The batch driver when the record count list could not be written out.
const std::string& ListNotWrittenMessage();
// Another run is writing the extract file `extractName` (code page 932).
std::string ExtractBeingWrittenMessage(std::string_view extractName);
// The source files whose text ended at a 0x1A byte with more of the file
// after it, one name a line (code page 932).
std::string EndMarkNoticeMessage(const std::vector<std::string>& sourceNames);

// The prompt prefixes of the @ dialog.
const std::string& FirstPromptPrefix();  // "最初の"
const std::string& NextPromptPrefix();   // "つぎの"

// Lines of the record count list.
const std::string& SeriesRuleLine();         // " " and 27 hyphens
const std::string& SubstitutionLineLabel();  // "＠相当文字："
const std::string& SourceNameLineLabel();    // "元ファイル名　："
const std::string& ExtractNameLineLabel();   // "抽出ファイル名："
const std::string& SourceCountLineLabel();   // " 元ﾌｧｲﾙﾚｺｰﾄﾞ数　："
const std::string& ExtractCountLineLabel();  // " 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数："

// Refusals of the @ dialog.
const std::string& LeftTextMissingMessage();     // nothing in the left-hand box
const std::string& RightTextNotDigitsMessage();  // the right-hand text is not numeric
const std::string& TextLengthsDifferMessage();   // left and right differ in length
const std::string& TextsReversedMessage();       // left is above right
const std::string& EntryTooLongMessage();        // more than 8 bytes
const std::string& EntryNotFileNameMessage();    // bytes that cannot be part of a file name

// Choosing a source file.
const std::string& HeadingQuestionCancelledMessage();
const std::string& SourceHasNoDataMessage();
const std::string& PlaceholderInChosenFileMessage();

// Why the layout of the chosen file was not read, as the user is told: the
// message, and whether it is an input/output error (an error box, exit
// status 2) rather than a refusal. Nothing when the layout was read.
struct LayoutRefusal {
  std::string message;
  bool ioError = false;
};
std::optional<LayoutRefusal> LayoutRefusalOf(const LayoutResult& result);

}  // namespace sifta
