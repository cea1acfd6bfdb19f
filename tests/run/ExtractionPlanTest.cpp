// BuildExtractionPlan: every refusal with its exact text and focus, the order
// of the checks, and the plan fields the conditions expand into.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "run/ExtractionPlan.h"
#include "scan/Cp932.h"

namespace sifta {
namespace {

using Tweak = std::function<void(ExtractionConditions&, FileLayout&)>;
using Rows2 = std::vector<std::array<std::string, 2>>;
using Rows4 = std::vector<std::array<std::string, 4>>;

// A standard layout: RID items R1..Rn, then cells ｾﾙ1..; the first record
// holds the quoted codes "01" and "002", then 100, then R4.., then the cell
// numbers.
FileLayout StandardLayout(int rid, int cells) {
  FileLayout layout;
  layout.fileName = "in.csv";
  layout.headingKind = HeadingKind::Standard;
  std::string heading;
  std::string record;
  for (int i = 1; i <= rid; ++i) {
    const std::string name = 'R' + std::to_string(i);
    heading += name + ',';
    record += i == 1 ? "\"01\"," : i == 2 ? "\"002\"," : i == 3 ? "100," : name + ',';
  }
  for (int i = 1; i <= cells; ++i) {
    heading += Sj("ｾﾙ") + std::to_string(i) + ",";
    record += std::to_string(i) + ",";
  }
  heading.pop_back();
  record.pop_back();
  layout.headingText = heading;
  layout.firstRecord = record;
  layout.itemCount = rid + cells;
  layout.ridItemCount = rid;
  layout.bodyCellCount = cells;
  return layout;
}

// A user heading of `cells` items (all BODY cells); only the counts are set.
FileLayout UserLayout(int cells) {
  FileLayout layout;
  layout.fileName = "in.csv";
  layout.headingKind = HeadingKind::User;
  layout.headingText = "A,B";
  layout.firstRecord = "1,2";
  layout.itemCount = cells;
  layout.bodyCellCount = cells;
  return layout;
}

// Conditions that pass: all RID items, all cells, all records.
ExtractionConditions ValidConditions() {
  ExtractionConditions c;
  c.sourceNameText = "in.csv";
  c.extractNameText = "out.csv";
  c.ridChoice = ColumnChoice::AllItems;
  c.cellChoice = ColumnChoice::AllItems;
  c.recordMode = RecordMode::All;
  return c;
}

// --- tweaks, one per condition; Then() joins them ---------------------------

Tweak Names(std::string source, std::string extract) {
  return [=](ExtractionConditions& c, FileLayout&) {
    c.sourceNameText = source;
    c.extractNameText = extract;
  };
}
Tweak Layout(FileLayout layout) {
  return [=](ExtractionConditions&, FileLayout& l) { l = layout; };
}
Tweak Counts(int items, int rid, int body) {
  return [=](ExtractionConditions&, FileLayout& l) {
    l.itemCount = items;
    l.ridItemCount = rid;
    l.bodyCellCount = body;
  };
}
Tweak RidChoice(std::optional<ColumnChoice> choice) {
  return [=](ExtractionConditions& c, FileLayout&) { c.ridChoice = choice; };
}
Tweak Rid(Rows2 rows) {
  return [=](ExtractionConditions& c, FileLayout&) {
    c.ridChoice = ColumnChoice::ListedItems;
    c.ridRows = rows;
  };
}
Tweak CellChoice(std::optional<ColumnChoice> choice) {
  return [=](ExtractionConditions& c, FileLayout&) { c.cellChoice = choice; };
}
Tweak Cells(Rows4 rows) {
  return [=](ExtractionConditions& c, FileLayout&) {
    c.cellChoice = ColumnChoice::ListedItems;
    c.cellRows = rows;
  };
}
Tweak Zero(bool nonNumeric, bool special, std::vector<std::string> rows) {
  return [=](ExtractionConditions& c, FileLayout&) {
    c.zeroNonNumeric = nonNumeric;
    c.zeroSpecial = special;
    c.specialRows = rows;
  };
}
Tweak Mode(std::optional<RecordMode> mode) {
  return [=](ExtractionConditions& c, FileLayout&) { c.recordMode = mode; };
}
Tweak Count(Rows2 rows) {
  return [=](ExtractionConditions& c, FileLayout&) {
    c.recordMode = RecordMode::Count;
    c.keyRows = rows;
  };
}
Tweak Keyed(RecordMode mode, Rows2 keys, Rows2 codes, CodeGrouping grouping = CodeGrouping::Unknown) {
  return [=](ExtractionConditions& c, FileLayout&) {
    c.recordMode = mode;
    c.keyRows = keys;
    c.codeRows = codes;
    c.grouping = grouping;
  };
}
Tweak Code(Rows2 keys, Rows2 codes, CodeGrouping grouping = CodeGrouping::Unknown) {
  return Keyed(RecordMode::Code, keys, codes, grouping);
}
Tweak Value(Rows2 keys, Rows2 codes, CodeGrouping grouping = CodeGrouping::Unknown) {
  return Keyed(RecordMode::Value, keys, codes, grouping);
}
Tweak Unreadable(PlanTab tab, int row) {
  return [=](ExtractionConditions& c, FileLayout&) { c.unreadableCell = UnreadableCell{tab, row}; };
}
Tweak Then(std::vector<Tweak> tweaks) {
  return [=](ExtractionConditions& c, FileLayout& l) {
    for (const Tweak& t : tweaks) t(c, l);
  };
}

PlanResult BuildWith(const Tweak& tweak) {
  ExtractionConditions conditions = ValidConditions();
  FileLayout layout = StandardLayout(3, 44);
  tweak(conditions, layout);
  return BuildExtractionPlan(conditions, layout);
}

// --- refusals -----------------------------------------------------------------

constexpr auto Src = FocusTarget::SourceButton;
constexpr auto Ext = FocusTarget::ExtractButton;
constexpr auto Non = FocusTarget::Unchanged;

struct Refusal {
  const char* name;
  Tweak tweak;
  const char* message;  // UTF-8; the result holds its code page 932 form
  FocusTarget focus;
};

const std::string kBadQuote = "** 元ﾌｧｲﾙの1行目に閉じていない「\"」があります。ﾌｧｲﾙを確認してください。";
const Rows2 k19EmptyRows(19);
const Rows4 k19EmptyCellRows(19);

const Refusal kRefusals[] = {
    // File names.
    {"SourceEmpty", Names("", "out.csv"), "** 元ファイルの指定がありません。", Src},
    {"BothNamesEmpty", Names("", ""), "** 元ファイルの指定がありません。", Src},
    {"ExtractEmpty", Names("in.csv", ""), "** 抽出ファイルの指定がありません。", Ext},
    {"AtInExtractOnly", Names("in.csv", "out@.csv"), "** 抽出ﾌｧｲﾙの＠は元ﾌｧｲﾙに＠がないので指定できません。",
     Ext},
    {"ExtractEmptyBeforeLayout", Then({Names("a@.csv", ""), Counts(0, 0, 0)}),
     "** 抽出ファイルの指定がありません。", Ext},

    // A layout read from a line 1 whose quote never closes.
    {"LayoutNoItems", Counts(0, 0, 0), kBadQuote.c_str(), Src},
    {"LayoutNegativeCells", Counts(0, 3, -3), kBadQuote.c_str(), Src},
    {"LayoutNegativeRid", Counts(0, -1, 1), kBadQuote.c_str(), Src},
    {"LayoutBeforeRidChoice", Then({Counts(0, 3, -3), RidChoice({})}), kBadQuote.c_str(), Src},

    // RID tab (standard heading, 3 RID items unless said otherwise).
    {"RidChoiceMissing", RidChoice({}), "** RID項目の抽出が未指定です。", Non},
    {"RidFirstTooLarge", Then({Layout(StandardLayout(12, 5)), Rid({{"13", ""}})}),
     "**RIDの抽出(1)：番号がRID項目数を越えています。", Non},
    {"RidLastTooLarge", Then({Layout(StandardLayout(12, 5)), Rid({{"3", "13"}})}),
     "**RIDの抽出(1)：番号がRID項目数を越えています。", Non},
    {"RidReversedRow3", Rid({{"1", ""}, {"2", ""}, {"3", "2"}}), "**RIDの抽出(3)：RID項目番号が逆順です。",
     Non},
    {"RidTooLargeBeforeReversed", Rid({{"4", "2"}}), "**RIDの抽出(1)：番号がRID項目数を越えています。", Non},
    {"RidEmptyRowsCount", Rid({{"", ""}, {"3", "1"}}), "**RIDの抽出(2)：RID項目番号が逆順です。", Non},
    {"RidNoRows", Rid({}), "**RIDの抽出(0)：RID項目指定がありません。", Non},
    {"RidOnlyEmptyRows", Rid(k19EmptyRows), "**RIDの抽出(0)：RID項目指定がありません。", Non},
    {"RidZero", Rid({{"0", ""}}), "**RIDの抽出(1)：番号が１より小さいです。", Non},
    {"RidZeroLast", Rid({{"1", "0"}}), "**RIDの抽出(1)：番号が１より小さいです。", Non},
    {"RidNegative", Rid({{"2", ""}, {"-1", "3"}}), "**RIDの抽出(2)：番号が１より小さいです。", Non},
    {"RidNegativeHex", Rid({{"-$1", ""}}), "**RIDの抽出(1)：番号が１より小さいです。", Non},
    {"RidStarWithoutRidItems", Then({Counts(5, 0, 5), Rid({{"1", "*"}})}),
     "**RIDの抽出(1)：番号がRID項目数を越えています。", Non},
    {"RidFaultBeforeLaterConversion", Rid({{"3", "1"}, {"x", ""}}), "**RIDの抽出(1)：RID項目番号が逆順です。",
     Non},

    // Cell tab (3 RID items and 44 cells: absolute items 4..47).
    {"CellChoiceMissing", CellChoice({}), "** ｾﾙ項目の抽出が未指定です。", Non},
    {"CellFirstTooLarge", Cells({{"45", "", "", ""}}), "**ｾﾙの抽出(1)：ｾﾙの番号がｾﾙ項目数を越えています。",
     Non},
    {"CellLastTooLarge", Cells({{"1", "45", "", ""}}), "**ｾﾙの抽出(1)：ｾﾙの番号がｾﾙ項目数を越えています。",
     Non},
    {"CellNextTooLarge", Cells({{"1", "2", "45", ""}}), "**ｾﾙの抽出(1)：ｾﾙの番号がｾﾙ項目数を越えています。",
     Non},
    {"CellLastFirstTooLarge", Cells({{"1", "2", "", "45"}}),
     "**ｾﾙの抽出(1)：ｾﾙの番号がｾﾙ項目数を越えています。", Non},
    {"CellTooLargeBeforeReversed", Cells({{"45", "2", "", ""}}),
     "**ｾﾙの抽出(1)：ｾﾙの番号がｾﾙ項目数を越えています。", Non},
    {"CellReversed", Cells({{"1", ""}, {"5", "3", "", ""}}), "**ｾﾙの抽出(2)：「左番号＞右番号」です。", Non},
    {"CellNextFirstMissing", Cells({{"1", "2", "", "10"}}), "**ｾﾙの抽出(1)：「次の左番号」が無指定です。",
     Non},
    {"CellLastFirstMissing", Cells({{"1", "2", "5", ""}}), "**ｾﾙの抽出(1)：「ﾗｽﾄ左番号」が無指定です。", Non},
    {"CellNextEqualsLast", Cells({{"1", "5", "5", "9"}}), "**ｾﾙの抽出(1)：「左(右)番号≧次の左番号」です。",
     Non},
    {"CellNextBeforeLast", Cells({{"1", "5", "3", "9"}}), "**ｾﾙの抽出(1)：「左(右)番号≧次の左番号」です。",
     Non},
    {"CellLastFirstBeforeNext", Cells({{"1", "2", "9", "5"}}),
     "**ｾﾙの抽出(1)：「次の左番号＞ﾗｽﾄ左番号」です。", Non},
    {"CellStepsMiss", Then({Layout(UserLayout(44)), Cells({{"15", "", "17", "20"}})}),
     "**ｾﾙの抽出(1)：次の左番号とﾗｽﾄ左番号とが一致しなくなります。", Non},
    {"CellBeyondLastCell", Then({Layout(UserLayout(44)), Cells({{"21", "25", "31", "41"}})}),
     "**ｾﾙの抽出(1)：この抽出は全ｾﾙ数を越えます。", Non},
    {"CellBeyondLastCellWithRid", Cells({{"21", "25", "31", "41"}}),
     "**ｾﾙの抽出(1)：この抽出は全ｾﾙ数を越えます。", Non},
    {"CellNoRows", Cells({}), "**ｾﾙの抽出(0)：セル項目指定がありません。", Non},
    {"CellOnlyEmptyRows", Cells(k19EmptyCellRows), "**ｾﾙの抽出(0)：セル項目指定がありません。", Non},
    {"CellZeroFirst", Cells({{"0", "", "", ""}}), "**ｾﾙの抽出(1)：番号が１より小さいです。", Non},
    {"CellZeroLast", Cells({{"1", "0", "", ""}}), "**ｾﾙの抽出(1)：番号が１より小さいです。", Non},
    {"CellZeroNext", Cells({{"1", "2", "0", "5"}}), "**ｾﾙの抽出(1)：番号が１より小さいです。", Non},
    {"CellZeroLastFirst", Cells({{"1", "2", "3", "0"}}), "**ｾﾙの抽出(1)：番号が１より小さいです。", Non},
    {"CellNegativeFirst", Cells({{"-3", "", "", ""}}), "**ｾﾙの抽出(1)：番号が１より小さいです。", Non},
    // Sums that wrap around in 32 bits.
    {"CellFirstPlusRidOverflows", Cells({{"2147483646", "", "", ""}}),
     "**ｾﾙの抽出(1)：ｾﾙの番号がｾﾙ項目数を越えています。", Non},
    {"CellFirstPlusRidOverflowsHuge",
     Then({Counts(INT_MAX, 3, INT_MAX - 3), Cells({{"2147483646", "", "", ""}})}),
     "**ｾﾙの抽出(1)：ｾﾙの番号がｾﾙ項目数を越えています。", Non},
    {"CellLastBlockOverflows", Then({Layout(UserLayout(INT_MAX)), Cells({{"1", "10", "11", "2147483641"}})}),
     "**ｾﾙの抽出(1)：この抽出は全ｾﾙ数を越えます。", Non},
    {"CellLongWalkMisses", Then({Layout(UserLayout(INT_MAX)), Cells({{"1", "1", "3", "2147483646"}})}),
     "**ｾﾙの抽出(1)：次の左番号とﾗｽﾄ左番号とが一致しなくなります。", Non},

    // Zeroing.
    {"SpecialOnlyQuotes", Zero(false, true, {"\"\""}), "** 特定数値の指定がありません。", Non},
    {"SpecialNoRows", Zero(false, true, {}), "** 特定数値の指定がありません。", Non},
    {"SpecialEmptyRows", Zero(true, true, {"", "", ""}), "** 特定数値の指定がありません。", Non},
    {"CellFaultBeforeSpecial", Then({Cells({{"5", "3", "", ""}}), Zero(false, true, {})}),
     "**ｾﾙの抽出(1)：「左番号＞右番号」です。", Non},

    // Nothing written.
    {"NeitherRidNorCells", Then({RidChoice(ColumnChoice::NoItems), CellChoice(ColumnChoice::NoItems)}),
     "** RID項目,ｾﾙ項目の抽出がありません。", Non},
    {"NoCellsUserHeading", Then({Layout(UserLayout(5)), CellChoice(ColumnChoice::NoItems)}),
     "** RID項目,ｾﾙ項目の抽出がありません。", Non},
    {"NeitherBeforeRecordMode",
     Then({RidChoice(ColumnChoice::NoItems), CellChoice(ColumnChoice::NoItems), Mode({})}),
     "** RID項目,ｾﾙ項目の抽出がありません。", Non},

    // Record tab: counts.
    {"RecordModeMissing", Mode({}), "** ﾚｺｰﾄﾞの抽出が未指定です。", Non},
    {"CountReversed", Count({{"9", "5"}}), "**ﾚｺｰﾄﾞの抽出(1)：ｶｳﾝﾄ指定が逆順です。", Non},
    {"CountTouching", Count({{"1", "5"}, {"5", "9"}}), "**ﾚｺｰﾄﾞの抽出(2)：ｶｳﾝﾄ指定が同じか逆順です。", Non},
    {"CountBackwards", Count({{"1", "5"}, {"3", ""}}), "**ﾚｺｰﾄﾞの抽出(2)：ｶｳﾝﾄ指定が同じか逆順です。", Non},
    {"CountAfterOpenEnd", Count({{"1", "*"}, {"999999999", ""}}),
     "**ﾚｺｰﾄﾞの抽出(2)：ｶｳﾝﾄ指定が同じか逆順です。", Non},
    {"CountNoRows", Count({}), "**ﾚｺｰﾄﾞの抽出(0)：ｶｳﾝﾄ指定がありません。", Non},
    {"CountOnlyEmptyRows", Count(k19EmptyRows), "**ﾚｺｰﾄﾞの抽出(0)：ｶｳﾝﾄ指定がありません。", Non},
    {"CountZero", Count({{"0", "5"}}), "**ﾚｺｰﾄﾞの抽出(1)：番号が１より小さいです。", Non},
    {"CountZeroLast", Count({{"1", "0"}}), "**ﾚｺｰﾄﾞの抽出(1)：番号が１より小さいです。", Non},
    {"CountNegative", Count({{"1", ""}, {"-5", "*"}}), "**ﾚｺｰﾄﾞの抽出(2)：番号が１より小さいです。", Non},

    // Record tab: keys (Code: absolute items; Value: cell numbers).
    {"KeyReversed", Code({{"2", "1"}}, {{"1", ""}}), "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞのｷｰ番号が逆順です。", Non},
    {"KeyStarBelowFirst", Code({{"4", "*"}}, {{"1", ""}}), "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞのｷｰ番号が逆順です。", Non},
    {"ValueKeyReversed", Value({{"3", "2"}}, {{"1", ""}}), "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞのｷｰ番号が逆順です。", Non},
    {"KeyNoRows", Code({}, {{"01002", ""}}), "**ﾚｺｰﾄﾞの抽出(0)：ｺｰﾄﾞのｷｰ番号指定がありません。", Non},
    {"ValueKeyNoRows", Value(k19EmptyRows, {{"1", ""}}), "**ﾚｺｰﾄﾞの抽出(0)：ｺｰﾄﾞのｷｰ番号指定がありません。",
     Non},
    {"KeyZero", Code({{"0", ""}}, {{"1", ""}}), "**ﾚｺｰﾄﾞの抽出(1)：番号が１より小さいです。", Non},
    {"ValueKeyNegative", Value({{"1", "-2"}}, {{"1", ""}}), "**ﾚｺｰﾄﾞの抽出(1)：番号が１より小さいです。",
     Non},
    {"ValueKeyOverflows", Value({{"2147483646", ""}}, {{"1", ""}}),
     "**ﾚｺｰﾄﾞの抽出(1)：ｷｰのｾﾙ番号がｾﾙ項目数を越えています。", Non},

    // Record tab: codes. The key RID items 1..2 of the first record ("01" and
    // "002") make 5-byte codes; item 3 (100) makes 3-byte codes.
    {"CodeLengthsDiffer", Code({{"3", ""}}, {{"100", "1000"}}),
     "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞの桁数が一致しません。", Non},
    {"CodeHighOnlyQuotes", Code({{"3", ""}}, {{"100", "\"\""}}),
     "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞの桁数が一致しません。", Non},
    {"CodeReversed", Code({{"3", ""}}, {{"200", "100"}}), "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞが逆順です。", Non},
    {"CodeReversedUnsigned", Value({{"1", ""}}, {{Sj("ｱ"), "A"}}), "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞが逆順です。", Non},
    {"CodeNotKeyLength", Code({{"1", "2"}}, {{"0100", "0199"}}),
     "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞの桁数がｷｰの長さと一致しません。", Non},
    {"CodeQuotesInSourceDoNotCount", Code({{"1", "2"}}, {{"\"01\",\"002\"", ""}}),
     "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞの桁数がｷｰの長さと一致しません。", Non},
    {"ValueFirstRowFixesLength", Value({{"1", ""}}, {{"9100", ""}, {"200", "300"}}),
     "**ﾚｺｰﾄﾞの抽出(2)：ｺｰﾄﾞの桁数がｷｰの長さと一致しません。", Non},
    {"ValueEmptyFirstRowFixesLength", Value({{"1", ""}}, {{"\"\"", ""}, {"200", "300"}}),
     "**ﾚｺｰﾄﾞの抽出(2)：ｺｰﾄﾞの桁数がｷｰの長さと一致しません。", Non},
    {"CodeGroupedBackwards", Code({{"3", ""}}, {{"200", "209"}, {"101", ""}}, CodeGrouping::GroupedInOrder),
     "**ﾚｺｰﾄﾞの抽出(2)：ｺｰﾄﾞが同じか逆順です。", Non},
    {"CodeGroupedTouching", Code({{"3", ""}}, {{"200", "209"}, {"209", "300"}}, CodeGrouping::GroupedInOrder),
     "**ﾚｺｰﾄﾞの抽出(2)：ｺｰﾄﾞが同じか逆順です。", Non},
    {"CodeNoRows", Code({{"3", ""}}, {}), "**ﾚｺｰﾄﾞの抽出(0)：ｺｰﾄﾞ指定がありません。", Non},
    {"ValueCodeOnlyEmptyRows", Value({{"1", ""}}, k19EmptyRows), "**ﾚｺｰﾄﾞの抽出(0)：ｺｰﾄﾞ指定がありません。",
     Non},

    // The order of the checks across the tabs and within a row.
    {"FileNamesBeforeUnreadableText", Then({Names("", "out.csv"), Unreadable(PlanTab::Record, 4)}),
     "** 元ファイルの指定がありません。", Src},
    {"AtBeforeUnreadableText", Then({Names("in.csv", "out@.csv"), Unreadable(PlanTab::Record, 4)}),
     "** 抽出ﾌｧｲﾙの＠は元ﾌｧｲﾙに＠がないので指定できません。", Ext},
    {"UnreadableTextBeforeTheTabs", Then({Unreadable(PlanTab::Cell, 2), RidChoice({})}),
     "**ｾﾙの抽出(2)：ｼﾌﾄJISにない文字があります。", Non},
    {"AtBeforeRidChoice", Then({Names("in.csv", "out@.csv"), RidChoice({})}),
     "** 抽出ﾌｧｲﾙの＠は元ﾌｧｲﾙに＠がないので指定できません。", Ext},
    {"RidBeforeCell", Then({Rid({{"3", "1"}}), Cells({{"5", "3", "", ""}})}),
     "**RIDの抽出(1)：RID項目番号が逆順です。", Non},
    {"RidNoRowsBeforeCellChoice", Then({Rid({}), CellChoice({})}),
     "**RIDの抽出(0)：RID項目指定がありません。", Non},
    {"CellBeforeRecord", Then({Cells({{"5", "3", "", ""}}), Count({{"9", "5"}})}),
     "**ｾﾙの抽出(1)：「左番号＞右番号」です。", Non},
    {"SpecialBeforeRecordMode", Then({Zero(false, true, {}), Mode({})}), "** 特定数値の指定がありません。",
     Non},
    {"KeyBeforeCode", Code({{"2", "1"}}, {{"200", "100"}}), "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞのｷｰ番号が逆順です。",
     Non},
    {"KeyNoRowsBeforeCodes", Code({}, {}), "**ﾚｺｰﾄﾞの抽出(0)：ｺｰﾄﾞのｷｰ番号指定がありません。", Non},
    {"CodeLengthsBeforeReversed", Code({{"3", ""}}, {{"200", "10"}}),
     "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞの桁数が一致しません。", Non},
    {"CodeReversedBeforeKeyLength", Code({{"3", ""}}, {{"20", "10"}}), "**ﾚｺｰﾄﾞの抽出(1)：ｺｰﾄﾞが逆順です。",
     Non},
};

class PlanRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(PlanRefusal, ReportsTheFirstFault) {
  const Refusal& c = GetParam();
  const PlanResult result = BuildWith(c.tweak);
  const PlanError* error = std::get_if<PlanError>(&result);
  ASSERT_NE(error, nullptr) << "no PlanError";
  EXPECT_EQ(Cp932ToUtf8ForDisplay(error->message), c.message);
  EXPECT_EQ(error->message, Sj(c.message));
  EXPECT_EQ(error->focus, c.focus);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlanRefusal, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// --- conversion failures --------------------------------------------------------

struct Conversion {
  const char* name;
  Tweak tweak;
  const char* text;  // the offending text
};

const Conversion kConversions[] = {
    {"RidFirstEmpty", Rid({{"", "5"}}), ""},
    {"RidLetters", Rid({{"abc", ""}}), "abc"},
    {"RidLastLetters", Rid({{"1", "x"}}), "x"},
    {"RidStarFirst", Rid({{"*", ""}}), "*"},
    {"RidBeyond32Bits", Rid({{"2147483648", ""}}), "2147483648"},
    {"RidConversionBeforeCellFault", Then({Rid({{"1", "2x"}}), Cells({{"5", "3", "", ""}})}), "2x"},
    {"CellFirstEmpty", Cells({{"", "", "3", "3"}}), ""},
    {"CellStarInNext", Cells({{"1", "2", "*", "5"}}), "*"},
    {"CellLastFirstText", Cells({{"1", "2", "3", "x"}}), "x"},
    {"CellConversionBeforeZero", Cells({{"0", "", "", "y"}}), "y"},
    {"CellConversionBeforeRecordMode", Then({Cells({{"1", "1.5", "", ""}}), Mode({})}), "1.5"},
    {"CountFirstEmpty", Count({{"", "*"}}), ""},
    {"CountBlankInside", Count({{"1 0", ""}}), "1 0"},
    {"KeyFirstEmpty", Code({{"", "2"}}, {{"1", ""}}), ""},
    {"ValueKeyLetters", Value({{"a", ""}}, {{"1", ""}}), "a"},
};

class PlanConversion : public testing::TestWithParam<Conversion> {};

TEST_P(PlanConversion, NamesTheText) {
  const Conversion& c = GetParam();
  const PlanResult result = BuildWith(c.tweak);
  const ConversionError* error = std::get_if<ConversionError>(&result);
  ASSERT_NE(error, nullptr) << "no ConversionError";
  EXPECT_EQ(error->message, "'" + std::string(c.text) + Sj("' は整数ではありません"));
}

INSTANTIATE_TEST_SUITE_P(Cases, PlanConversion, testing::ValuesIn(kConversions),
                         [](const auto& info) { return std::string(info.param.name); });

// --- accepted plans -----------------------------------------------------------

using Check = std::function<void(const ExtractionPlan&)>;

struct Accepted {
  const char* name;
  Tweak tweak;
  Check check;
};

std::vector<NumberRange> R(std::vector<NumberRange> ranges) { return ranges; }

const Accepted kAccepted[] = {
    // File names.
    {"NamesTrimmed", Names(" \tin.csv  ", "\x01out.csv\r\n"),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.sourceName, "in.csv");
       EXPECT_EQ(p.extractName, "out.csv");
       EXPECT_FALSE(p.sourceIsSeries);
       EXPECT_FALSE(p.extractIsSeries);
     }},
    {"BlankNamesPass", Names("   ", " "),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.sourceName, "");
       EXPECT_EQ(p.extractName, "");
     }},
    {"AtInBoth", Names("d@.csv", "o@.csv"),
     [](const ExtractionPlan& p) {
       EXPECT_TRUE(p.sourceIsSeries);
       EXPECT_TRUE(p.extractIsSeries);
     }},
    {"AtInSourceOnly", Names("d@.csv", "o.csv"),
     [](const ExtractionPlan& p) {
       EXPECT_TRUE(p.sourceIsSeries);
       EXPECT_FALSE(p.extractIsSeries);
     }},
    {"FullWidthAtIsNoSeries", Names("d＠.csv", "o＠.csv"),
     [](const ExtractionPlan& p) {
       EXPECT_FALSE(p.sourceIsSeries);
       EXPECT_FALSE(p.extractIsSeries);
     }},

    // RID tab.
    {"RidAll", {[](ExtractionConditions&, FileLayout&) {}},
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.ridRanges, R({{1, 3}}));
       EXPECT_EQ(p.cellRules, std::vector<CellRule>({{4, 47, 0, 0, 0}}));
       EXPECT_EQ(p.countRanges, R({{1, OpenEndCount}}));
       EXPECT_EQ(p.recordMode, RecordMode::All);
     }},
    {"RidListedInRowOrder", Then({Layout(StandardLayout(12, 5)), Rid({{"3", ""}, {"", ""}, {"10", "*"}, {"5", "7"}})}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.ridRanges, R({{3, 3}, {10, 12}, {5, 7}})); }},
    {"RidOverlapping", Rid({{"1", "2"}, {"2", "3"}}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.ridRanges, R({{1, 2}, {2, 3}})); }},
    {"RidHexAndSign", Then({Layout(StandardLayout(12, 5)), Rid({{"$A", "0x0b"}, {"+2", ""}})}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.ridRanges, R({{10, 11}, {2, 2}})); }},
    {"RidNone", RidChoice(ColumnChoice::NoItems),
     [](const ExtractionPlan& p) {
       EXPECT_TRUE(p.ridRanges.empty());
       EXPECT_EQ(p.ridChoice, ColumnChoice::NoItems);
     }},
    {"UserHeadingWithoutRidChoice", Then({Layout(UserLayout(5)), RidChoice({})}),
     [](const ExtractionPlan& p) { EXPECT_TRUE(p.ridRanges.empty()); }},
    {"UserHeadingIgnoresRidRows", Then({Layout(UserLayout(5)), Rid({{"x", "y"}})}),
     [](const ExtractionPlan& p) {
       EXPECT_TRUE(p.ridRanges.empty());
       EXPECT_EQ(p.cellRules, std::vector<CellRule>({{1, 5, 0, 0, 0}}));
     }},
    {"NoHeadingIgnoresRidAll",
     Then({Layout(UserLayout(5)), [](ExtractionConditions&, FileLayout& l) { l.headingKind = HeadingKind::None; }}),
     [](const ExtractionPlan& p) { EXPECT_TRUE(p.ridRanges.empty()); }},
    {"RidAllWithoutRidItemsGivesNoRange", Counts(5, 0, 5),
     [](const ExtractionPlan& p) { EXPECT_TRUE(p.ridRanges.empty()); }},

    // Cell tab (rid 0 in the user layouts: cell numbers are item numbers).
    {"CellRepeatedBlocks", Then({Layout(UserLayout(45)), Cells({{"21", "25", "31", "41"}})}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.cellRules, std::vector<CellRule>({{21, 25, 31, 41, 10}})); }},
    {"CellRepeatedOnce", Then({Layout(UserLayout(44)), Cells({{"10", "", "15", "15"}})}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.cellRules, std::vector<CellRule>({{10, 10, 15, 15, 5}})); }},
    {"CellRepeatedSingles", Then({Layout(UserLayout(44)), Cells({{"15", "", "17", "19"}})}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.cellRules, std::vector<CellRule>({{15, 15, 17, 19, 2}})); }},
    {"CellNumbersAfterRid", Cells({{"1", "*", "", ""}, {"", "", "", ""}, {"2", "3", "", ""}, {"44", "", "", ""}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.cellRules, std::vector<CellRule>({{4, 47, 0, 0, 0}, {5, 6, 0, 0, 0}, {47, 47, 0, 0, 0}}));
     }},
    {"CellLastBlockEndsAtLastCell", Cells({{"20", "24", "30", "40"}}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.cellRules, std::vector<CellRule>({{23, 27, 33, 43, 10}})); }},
    {"CellHugeRepetitionArithmetic", Then({Layout(UserLayout(INT_MAX)), Cells({{"1", "", "2", "2147483647"}})}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.cellRules, std::vector<CellRule>({{1, 1, 2, INT_MAX, 1}})); }},
    {"CellNone", Then({CellChoice(ColumnChoice::NoItems), Zero(true, true, {})}),
     [](const ExtractionPlan& p) {
       EXPECT_TRUE(p.cellRules.empty());
       EXPECT_FALSE(p.zeroNonNumeric);
       EXPECT_FALSE(p.zeroSpecial);
       EXPECT_TRUE(p.specialStrings.empty());
     }},
    {"CellAllWithoutCellsGivesNoRule", Counts(3, 3, 0),
     [](const ExtractionPlan& p) {
       EXPECT_TRUE(p.cellRules.empty());
       EXPECT_EQ(p.ridRanges, R({{1, 3}}));
     }},

    // Zeroing.
    {"SpecialStrings", Zero(true, true, {"101", "", "\"200.5\"", "\"\"", "\"35  \""}),
     [](const ExtractionPlan& p) {
       EXPECT_TRUE(p.zeroNonNumeric);
       EXPECT_TRUE(p.zeroSpecial);
       EXPECT_EQ(p.specialStrings, std::vector<SpecialString>({{3, "101"}, {5, "200.5"}, {4, "35  "}}));
       EXPECT_EQ(p.specialMinLength, 3);
       EXPECT_EQ(p.specialMaxLength, 5);
     }},
    {"SpecialIgnoredWithoutCheckBox", Zero(true, false, {"101"}),
     [](const ExtractionPlan& p) {
       EXPECT_TRUE(p.zeroNonNumeric);
       EXPECT_FALSE(p.zeroSpecial);
       EXPECT_TRUE(p.specialStrings.empty());
       EXPECT_EQ(p.specialMinLength, 99);
       EXPECT_EQ(p.specialMaxLength, 0);
     }},

    // Record tab: counts.
    {"CountSingle", Count({{"3", ""}}), [](const ExtractionPlan& p) { EXPECT_EQ(p.countRanges, R({{3, 3}})); }},
    {"CountAscending", Count({{"1", "5"}, {"", ""}, {"6", "9"}, {"15", "*"}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.recordMode, RecordMode::Count);
       EXPECT_EQ(p.countRanges, R({{1, 5}, {6, 9}, {15, OpenEndCount}}));
     }},
    {"CountOpenEndIsNotTenToTheNinth", Count({{"1", "*"}, {"1000000000", ""}}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.countRanges, R({{1, OpenEndCount}, {1000000000, 1000000000}})); }},
    {"CountHex", Count({{"$A", "0x14"}}), [](const ExtractionPlan& p) { EXPECT_EQ(p.countRanges, R({{10, 20}})); }},
    {"AllIgnoresKeyRows", Then({Count({{"x", ""}}), Mode(RecordMode::All)}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.countRanges, R({{1, OpenEndCount}}));
       EXPECT_TRUE(p.keyRanges.empty());
     }},
    {"CountIgnoresCodeRows",
     Then({Count({{"1", ""}}), [](ExtractionConditions& c, FileLayout&) { c.codeRows = {{"b", "a"}}; }}),
     [](const ExtractionPlan& p) { EXPECT_TRUE(p.codeRanges.empty()); }},

    // Record tab: Code mode, key spans in the first record "01","002",100,...
    {"CodeKeyWithoutQuotes", Code({{"1", "2"}}, {{"01000", "01999"}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.keyRanges, std::vector<KeyRange>({{1, 2, 1, 10, 10}}));
       EXPECT_EQ(p.keyLength, 5);
       EXPECT_EQ(p.codeRanges, std::vector<CodeRange>({{"01000", "01999"}}));
     }},
    {"CodeKeyRowsJoined", Code({{"1", ""}, {"2", ""}}, {{"01002", ""}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.keyRanges, std::vector<KeyRange>({{1, 1, 1, 4, 4}, {2, 2, 6, 10, 5}}));
       EXPECT_EQ(p.keyLength, 5);
       EXPECT_EQ(p.codeRanges, std::vector<CodeRange>({{"01002", "01002"}}));
     }},
    {"CodeKeyStarIsLastRidItem", Code({{"2", "*"}}, {{"002100", ""}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.keyRanges, std::vector<KeyRange>({{2, 3, 6, 14, 9}}));
       EXPECT_EQ(p.keyLength, 6);
     }},
    {"CodeKeyBeyondShortFirstRecord",
     Then({[](ExtractionConditions&, FileLayout& l) { l.firstRecord = "\"01\",\"002\""; },
           Code({{"2", "3"}, {"4", ""}}, {{"002", ""}})}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.keyRanges, std::vector<KeyRange>({{2, 3, 6, 10, 5}, {4, 4, 11, 10, 0}}));
       EXPECT_EQ(p.keyLength, 3);
     }},
    {"CodeRowsAnyOrderUnknown", Code({{"3", ""}}, {{"200", "209"}, {"101", ""}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.codeRanges, std::vector<CodeRange>({{"200", "209"}, {"101", "101"}}));
       EXPECT_EQ(p.grouping, CodeGrouping::Unknown);
     }},
    {"CodeRowsAnyOrderScattered", Code({{"3", ""}}, {{"200", "209"}, {"101", ""}}, CodeGrouping::Scattered),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.codeRanges.size(), 2u);
       EXPECT_EQ(p.grouping, CodeGrouping::Scattered);
     }},
    {"CodeGroupedAscending", Code({{"3", ""}}, {{"101", "109"}, {"", ""}, {"110", "\"200\""}}, CodeGrouping::GroupedInOrder),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.codeRanges, std::vector<CodeRange>({{"101", "109"}, {"110", "200"}}));
     }},

    // Record tab: Value mode.
    {"ValueKeyCell", Value({{"2", ""}}, {{"200", "300"}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.recordMode, RecordMode::Value);
       EXPECT_EQ(p.keyRanges, std::vector<KeyRange>({{5, 5, 0, 0, 0}}));
       EXPECT_EQ(p.keyLength, 3);
     }},
    {"ValueKeyStarIsLastItem", Value({{"2", "*"}}, {{"1", ""}}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.keyRanges, std::vector<KeyRange>({{5, 47, 0, 0, 0}})); }},
    {"ValueKeyBeyondCellsAccepted", Value({{"100", ""}}, {{"1", ""}}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.keyRanges, std::vector<KeyRange>({{103, 103, 0, 0, 0}})); }},
    {"ValueQuotesKeepBlanks", Value({{"1", ""}}, {{"\"35  \"", ""}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.keyLength, 4);
       EXPECT_EQ(p.codeRanges, std::vector<CodeRange>({{"35  ", "35  "}}));
     }},
    {"ValueEmptyValue", Value({{"1", ""}}, {{"\"\"", ""}}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.keyLength, 0);
       EXPECT_EQ(p.codeRanges, std::vector<CodeRange>({{"", ""}}));
     }},
    {"CodesCompareUnsigned", Value({{"1", ""}}, {{"A", Sj("ｱ")}}),
     [](const ExtractionPlan& p) { EXPECT_EQ(p.codeRanges.size(), 1u); }},
    // The grouping box is off in Value mode: a grouping left from Code mode
    // neither orders the value rows nor stops the loop early.
    {"ValueIgnoresGroupedKeepsAllExcept",
     Then({Value({{"1", ""}}, {{"200", "209"}, {"101", ""}}, CodeGrouping::GroupedInOrder),
           [](ExtractionConditions& c, FileLayout&) { c.extractAllExcept = true; }}),
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.grouping, CodeGrouping::Unknown);
       EXPECT_EQ(p.codeRanges, std::vector<CodeRange>({{"200", "209"}, {"101", "101"}}));
       EXPECT_TRUE(p.extractAllExcept);
     }},
    {"GroupingTakenInAllMode",
     [](ExtractionConditions& c, FileLayout&) {
       c.grouping = CodeGrouping::Scattered;
       c.extractAllExcept = true;
     },
     [](const ExtractionPlan& p) {
       EXPECT_EQ(p.grouping, CodeGrouping::Scattered);
       EXPECT_TRUE(p.extractAllExcept);
     }},
};

class PlanAccepted : public testing::TestWithParam<Accepted> {};

TEST_P(PlanAccepted, Expands) {
  const Accepted& c = GetParam();
  const PlanResult result = BuildWith(c.tweak);
  const ExtractionPlan* plan = std::get_if<ExtractionPlan>(&result);
  if (plan == nullptr) {
    const PlanError* error = std::get_if<PlanError>(&result);
    FAIL() << "refused: "
           << (error ? Cp932ToUtf8ForDisplay(error->message) : std::get<ConversionError>(result).message);
  }
  c.check(*plan);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlanAccepted, testing::ValuesIn(kAccepted),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sifta
