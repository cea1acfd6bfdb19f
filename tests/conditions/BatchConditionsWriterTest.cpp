// The conditions file written by the main window: read back by the reader of
// sifta-batch it gives the same request, for every kind of choice, grid text
// and file name; what it cannot write is refused by its field.
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "conditions/BatchConditionsWriter.h"
#include "conditions/BatchRequest.h"
#include "scan/Cp932.h"

namespace sifta::batch {
namespace {

struct Case {
  const char* name;
  BatchRequest request;
};

BatchRequest Standard() {
  BatchRequest r;
  ExtractionConditions& c = r.conditions;
  c.sourceNameText = "/data/in@.csv";
  c.extractNameText = "out/@.csv";
  r.layoutChosen = true;
  r.layoutPath = "/data/in01.csv";
  c.ridChoice = ColumnChoice::ListedItems;
  c.ridRows = {{"1", "2"}, {"", ""}, {"4", ""}};  // an empty row in between stays
  c.cellChoice = ColumnChoice::ListedItems;
  c.cellRows = {{"1", "3", "11", "31"}, {"5", "*", "", ""}};
  c.zeroNonNumeric = true;
  c.zeroSpecial = true;
  c.specialRows = {"-", "", "X"};
  c.recordMode = RecordMode::Code;
  c.keyRows = {{"1", ""}};
  c.codeRows = {{"100", "199"}, {"300", ""}};
  c.grouping = CodeGrouping::GroupedInOrder;
  c.extractAllExcept = true;
  return r;
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  cases.push_back({"nothing chosen", {}});
  cases.push_back({"standard table, code mode", Standard()});

  BatchRequest japanese = Standard();
  japanese.conditions.sourceNameText = "/統計/人口 2026.csv";
  japanese.layoutPath = "/統計/人口 2026.csv";
  japanese.conditions.extractNameText = "C:\\抽出\\東京.csv";
  // Double-byte, half-width katakana, 0x5C and 0x7E, and what JSON escapes.
  japanese.conditions.codeRows = {{Sj("東京"), Sj("東京")}, {Sj("ｾﾙ"), ""}, {"a\\b", "~\"q\""}};
  japanese.conditions.specialRows = {Sj("＊"), Sj("秘匿"), "\"X\"", "\x7F"};
  cases.push_back({"code page 932 texts and Japanese names", japanese});

  BatchRequest user;
  user.conditions.sourceNameText = "  plain.csv ";  // kept as typed
  user.layoutChosen = true;
  user.layoutPath = "plain.csv";
  user.headingAnswer = HeadingKind::User;
  user.conditions.ridChoice = ColumnChoice::NoItems;
  user.conditions.cellChoice = ColumnChoice::AllItems;
  user.conditions.recordMode = RecordMode::Value;
  user.conditions.keyRows = {{"3", ""}};
  user.conditions.codeRows = {{"", ""}, {"13", "14"}};
  user.conditions.grouping = CodeGrouping::Scattered;
  cases.push_back({"user heading, value mode", user});

  BatchRequest none = user;
  none.headingAnswer = HeadingKind::None;
  none.conditions.cellChoice = ColumnChoice::NoItems;
  none.conditions.recordMode = RecordMode::Count;
  none.conditions.keyRows = {{"2", "*"}, {"10", "20"}};
  none.conditions.grouping = CodeGrouping::Unknown;
  cases.push_back({"no heading, count mode", none});

  BatchRequest rowsWithoutChoice;
  rowsWithoutChoice.conditions.sourceNameText = "a.csv";
  rowsWithoutChoice.layoutChosen = true;
  rowsWithoutChoice.layoutPath = "a.csv";
  rowsWithoutChoice.conditions.ridRows = {{"1", "1"}};
  rowsWithoutChoice.conditions.cellRows = {{"2", "", "", ""}};
  rowsWithoutChoice.conditions.recordMode = RecordMode::All;
  cases.push_back({"rows without a choice", rowsWithoutChoice});

  BatchRequest series = Standard();
  series.series = {{"01", "03", false}, {Sj("東京"), "", false}, {"", "", true}};
  cases.push_back({"series entries", series});
  return cases;
}

std::variant<BatchRequest, RequestFault> ReadText(const std::string& text) {
  auto parsed = ParseConditionsText(text);
  if (const auto* fault = std::get_if<RequestFault>(&parsed)) return *fault;
  return ReadBatchRequest(std::get<nlohmann::json>(parsed));
}

TEST(WriteBatchConditions, ReadsBackAsTheSameRequest) {
  for (const Case& c : Cases()) {
    const auto written = WriteBatchConditions(c.request);
    ASSERT_TRUE(std::holds_alternative<std::string>(written))
        << c.name << ": " << std::get<RequestFault>(written).what;
    const auto read = ReadText(std::get<std::string>(written));
    ASSERT_TRUE(std::holds_alternative<BatchRequest>(read))
        << c.name << ": " << std::get<RequestFault>(read).what << "\n"
        << std::get<std::string>(written);
    EXPECT_TRUE(std::get<BatchRequest>(read) == c.request) << c.name << "\n"
                                                           << std::get<std::string>(written);
  }
}

TEST(WriteBatchConditions, RefusesWhatCannotBeReadBack) {
  struct Refused {
    const char* name;
    BatchRequest request;
    std::string what;
  };
  std::vector<Refused> cases;
  BatchRequest lead = Standard();
  lead.conditions.cellRows[1][3] = std::string(1, '\x81');  // a lead byte alone
  cases.push_back(
      {"no code page 932 text", lead, "cells.rows[1][3]: holds bytes that are no code page 932 text"});
  BatchRequest twin = Standard();
  // Small roman one as NEC's selection of IBM's extension: the character is
  // read back with IBM's code.
  twin.conditions.specialRows = {"-", "\xEE\xEF"};
  cases.push_back({"a second code of one character", twin,
                   "special[1]: holds a character whose code page 932 code does not read back the same"});
  BatchRequest name = Standard();
  name.conditions.extractNameText = "out\xFF.csv";
  cases.push_back({"a file name that is no UTF-8", name, "extract: is no UTF-8 text"});
  for (const Refused& c : cases) {
    const auto written = WriteBatchConditions(c.request);
    ASSERT_TRUE(std::holds_alternative<RequestFault>(written)) << c.name;
    EXPECT_EQ(std::get<RequestFault>(written).what, c.what) << c.name;
  }
}

TEST(DropEmptyRowsAtEnd, KeepsEveryRowUpToTheLastText) {
  ExtractionConditions c = Standard().conditions;
  c.ridRows.push_back({"", ""});
  c.cellRows.push_back({"", "", "", ""});
  c.specialRows.insert(c.specialRows.end(), {"", ""});
  c.keyRows = {{"", ""}, {"", ""}};
  c.codeRows.push_back({"", "5"});
  ExtractionConditions expected = Standard().conditions;
  expected.keyRows.clear();
  expected.codeRows.push_back({"", "5"});
  DropEmptyRowsAtEnd(c);
  EXPECT_TRUE(c == expected);
}

}  // namespace
}  // namespace sifta::batch
