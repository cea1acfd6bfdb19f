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

namespace sifta::batch {
namespace {

std::variant<BatchRequest, RequestFault> ReadText(const std::string& text) {
  auto parsed = ParseConditionsText(text);
  if (const auto* fault = std::get_if<RequestFault>(&parsed)) return *fault;
  return ReadBatchRequest(std::get<nlohmann::json>(parsed));
}

BatchRequest Read(const std::string& text) {
  auto read = ReadText(text);
  if (const auto* fault = std::get_if<RequestFault>(&read)) ADD_FAILURE() << fault->what << "\n" << text;
  return std::holds_alternative<BatchRequest>(read) ? std::get<BatchRequest>(read) : BatchRequest{};
}

// Conditions of every kind, as sifta-batch reads them.
const char* const kCases[] = {
    "{}",
    R"({"source": "/data/in@.csv", "extract": "out/@.csv", "layout": "/data/in01.csv",
        "rid": {"choice": "listed", "rows": [["1", "2"], [], ["4"]]},
        "cells": {"choice": "listed", "rows": [["1", "3", "11", "31"], ["5", "*"]]},
        "zeroNonNumeric": true, "zeroSpecial": true, "special": ["-", "", "X"],
        "records": {"mode": "code", "keys": [["1", ""]], "codes": [["100", "199"], ["300"]],
                    "grouping": "grouped", "allExcept": true}})",
    // Japanese names; double-byte, half-width katakana, 0x5C, 0x7E and what
    // JSON escapes in grid texts.
    R"({"source": "/統計/人口 2026.csv", "extract": "C:\\抽出\\東京.csv",
        "cells": {"choice": "all"}, "special": ["＊", "\"X\"", "\u007f"],
        "records": {"mode": "value", "keys": [["3"]], "codes": [["東京", "東京"], ["ｾﾙ"], ["a\\b", "~\"q\""]]}})",
    R"({"source": "  plain.csv ", "heading": "user", "rid": {"choice": "none"}, "cells": {"choice": "all"},
        "records": {"mode": "value", "keys": [["3"]], "codes": [[], ["13", "14"]], "grouping": "scattered"}})",
    R"({"source": "a.csv", "heading": "none", "rid": {"rows": [["1", "1"]]}, "cells": {"choice": "none"},
        "records": {"mode": "count", "keys": [["2", "*"], ["10", "20"]], "grouping": "unknown"}})",
    R"({"source": "a@.csv", "layout": "a1.csv", "records": {"mode": "all"},
        "series": [{"first": "01", "last": "03"}, {"first": "東京"}, {"lastEntry": true}]})",
    // The extract's form.
    R"({"source": "a.csv", "outputEncoding": "utf-8-bom", "sourceColumn": true, "splitForExcel": true})",
    R"({"source": "a.csv", "outputEncoding": "utf-8", "sourceColumn": false})",
    R"({"source": "a.csv", "outputEncoding": "cp932"})",
};

TEST(WriteBatchConditions, ReadsBackAsTheSameRequest) {
  for (const char* text : kCases) {
    const BatchRequest request = Read(text);
    const auto written = WriteBatchConditions(request);
    ASSERT_TRUE(std::holds_alternative<std::string>(written)) << std::get<RequestFault>(written).what;
    EXPECT_TRUE(Read(std::get<std::string>(written)) == request) << text << "\n"
                                                                 << std::get<std::string>(written);
  }
}

TEST(WriteBatchConditions, RefusesWhatCannotBeReadBack) {
  const BatchRequest base = Read(kCases[1]);
  struct Refused {
    const char* name;
    void (*change)(BatchRequest&);
    const char* what;
  };
  const Refused cases[] = {
      {"no code page 932 text", [](BatchRequest& r) { r.conditions.cellRows[1][3] = std::string(1, '\x81'); },
       "cells.rows[1][3]: "
       "シフトJIS（コードページ932）として読めないバイトがあります。その文字を直してください。"},
      // Small roman one in NEC's selection of IBM's extension: it reads back
      // with IBM's code.
      {"a second code of one character", [](BatchRequest& r) { r.conditions.specialRows[1] = "\xEE\xEF"; },
       "special[1]: "
       "シフトJIS（コードページ932）の文字として保存すると元に戻らない文字があります。その文字を直してくださ"
       "い。"},
      {"a file name that is no UTF-8", [](BatchRequest& r) { r.conditions.extractNameText = "out\xFF.csv"; },
       "extract: UTF-8 の文字にならないファイル名は保存できません。ファイルを選び直してください。"},
  };
  for (const Refused& c : cases) {
    BatchRequest request = base;
    c.change(request);
    const auto written = WriteBatchConditions(request);
    ASSERT_TRUE(std::holds_alternative<RequestFault>(written)) << c.name;
    EXPECT_EQ(std::get<RequestFault>(written).what, c.what) << c.name;
  }
}

TEST(DropEmptyRowsAtEnd, KeepsEveryRowUpToTheLastText) {
  ExtractionConditions c = Read(kCases[1]).conditions;
  const ExtractionConditions expected = c;
  c.ridRows.push_back({"", ""});
  c.cellRows.push_back({"", "", "", ""});
  c.specialRows.insert(c.specialRows.end(), {"", ""});
  c.keyRows.push_back({"", ""});
  DropEmptyRowsAtEnd(c);
  EXPECT_TRUE(c == expected);
}

}  // namespace
}  // namespace sifta::batch
