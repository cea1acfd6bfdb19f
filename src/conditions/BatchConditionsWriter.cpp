#include "conditions/BatchConditionsWriter.h"

#include <array>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Files.h"
#include "scan/Cp932.h"

namespace sifta::batch {

namespace {

// Keys in the order tools/README.md shows them.
using Json = nlohmann::ordered_json;

struct Fault {
  std::string what;
};

// A grid text as UTF-8, refused unless it reads back as the same bytes.
std::string Utf8Of(const std::string& cp932, const std::string& field) {
  const std::optional<std::string> utf8 = Cp932ToUtf8(cp932);
  if (!utf8)
    throw Fault{field +
                ": シフトJIS（コードページ932）として読めないバイトがあります。その文字を直してください。"};
  if (Utf8ToCp932(*utf8) != cp932)
    throw Fault{field +
                ": "
                "シフトJIS（コードページ932）の文字として保存すると元に戻らない文字があります。その文字を直し"
                "てください。"};
  return *utf8;
}

template <size_t N>
Json RowsOf(const std::vector<std::array<std::string, N>>& rows, const std::string& field) {
  Json out = Json::array();
  for (size_t r = 0; r < rows.size(); ++r) {
    Json cells = Json::array();
    for (size_t c = 0; c < N; ++c)
      cells.push_back(Utf8Of(rows[r][c], field + "[" + std::to_string(r) + "][" + std::to_string(c) + "]"));
    out.push_back(std::move(cells));
  }
  return out;
}

const char* ChoiceName(ColumnChoice choice) {
  switch (choice) {
    case ColumnChoice::AllItems:
      return "all";
    case ColumnChoice::ListedItems:
      return "listed";
    case ColumnChoice::NoItems:
      return "none";
  }
  return "";
}

const char* ModeName(RecordMode mode) {
  switch (mode) {
    case RecordMode::All:
      return "all";
    case RecordMode::Count:
      return "count";
    case RecordMode::Code:
      return "code";
    case RecordMode::Value:
      return "value";
  }
  return "";
}

const char* GroupingName(CodeGrouping grouping) {
  switch (grouping) {
    case CodeGrouping::Unknown:
      return "unknown";
    case CodeGrouping::GroupedInOrder:
      return "grouped";
    case CodeGrouping::Scattered:
      return "scattered";
  }
  return "";
}

Json ColumnTab(const std::optional<ColumnChoice>& choice, Json rows) {
  Json tab = Json::object();
  if (choice) tab["choice"] = ChoiceName(*choice);
  tab["rows"] = std::move(rows);
  return tab;
}

Json Document(const BatchRequest& request) {
  const ExtractionConditions& in = request.conditions;
  Json document = Json::object();
  document["source"] = in.sourceNameText;
  document["extract"] = in.extractNameText;
  // Beyond the window's described conditions: written only when chosen, so
  // that the files of runs without them stay as they were.
  if (in.outputEncoding == OutputEncoding::Utf8WithBom) document["outputEncoding"] = "utf-8-bom";
  if (in.outputEncoding == OutputEncoding::Utf8) document["outputEncoding"] = "utf-8";
  if (in.sourceColumn) document["sourceColumn"] = true;
  if (in.splitForExcel) document["splitForExcel"] = true;
  if (request.layoutChosen && !request.layoutPath.empty()) document["layout"] = request.layoutPath;
  if (request.headingAnswer == HeadingKind::User) document["heading"] = "user";
  if (request.headingAnswer == HeadingKind::None) document["heading"] = "none";

  document["rid"] = ColumnTab(in.ridChoice, RowsOf(in.ridRows, "rid.rows"));
  document["cells"] = ColumnTab(in.cellChoice, RowsOf(in.cellRows, "cells.rows"));
  document["zeroNonNumeric"] = in.zeroNonNumeric;
  document["zeroSpecial"] = in.zeroSpecial;
  Json special = Json::array();
  for (size_t r = 0; r < in.specialRows.size(); ++r)
    special.push_back(Utf8Of(in.specialRows[r], "special[" + std::to_string(r) + "]"));
  document["special"] = std::move(special);

  Json records = Json::object();
  if (in.recordMode) records["mode"] = ModeName(*in.recordMode);
  records["keys"] = RowsOf(in.keyRows, "records.keys");
  records["codes"] = RowsOf(in.codeRows, "records.codes");
  records["grouping"] = GroupingName(in.grouping);
  records["allExcept"] = in.extractAllExcept;
  document["records"] = std::move(records);

  if (!request.series.empty()) {
    Json series = Json::array();
    for (size_t e = 0; e < request.series.size(); ++e) {
      const SubstitutionTexts& texts = request.series[e];
      const std::string field = "series[" + std::to_string(e) + "]";
      Json entry = Json::object();
      entry["first"] = Utf8Of(texts.left, field + ".first");
      entry["last"] = Utf8Of(texts.right, field + ".last");
      entry["lastEntry"] = texts.lastEntryChecked;
      series.push_back(std::move(entry));
    }
    document["series"] = std::move(series);
  }
  return document;
}

bool Scalar(const Json& value) { return !value.is_object() && !value.is_array(); }

// Objects one key a line; an array of plain values (a grid row) on one line,
// so that a grid reads as the grid.
void Pretty(const Json& value, int indent, std::string& out) {
  const std::string inner(static_cast<size_t>(indent + 2), ' ');
  if (value.is_object() && !value.empty()) {
    out += "{\n";
    size_t n = 0;
    for (const auto& item : value.items()) {
      out += inner;
      out += Json(item.key()).dump(-1, ' ', false, Json::error_handler_t::strict);
      out += ": ";
      Pretty(item.value(), indent + 2, out);
      out += ++n < value.size() ? ",\n" : "\n";
    }
    out += std::string(static_cast<size_t>(indent), ' ') + "}";
    return;
  }
  if (value.is_array() && !value.empty()) {
    bool flat = true;
    for (const Json& element : value) flat = flat && Scalar(element);
    if (flat) {
      out += "[";
      for (size_t i = 0; i < value.size(); ++i) {
        if (i > 0) out += ", ";
        out += value[i].dump(-1, ' ', false, Json::error_handler_t::strict);
      }
      out += "]";
      return;
    }
    out += "[\n";
    for (size_t i = 0; i < value.size(); ++i) {
      out += inner;
      Pretty(value[i], indent + 2, out);
      out += i + 1 < value.size() ? ",\n" : "\n";
    }
    out += std::string(static_cast<size_t>(indent), ' ') + "]";
    return;
  }
  out += value.dump(-1, ' ', false, Json::error_handler_t::strict);
}

template <size_t N>
void DropAtEnd(std::vector<std::array<std::string, N>>& rows) {
  const auto empty = [](const std::array<std::string, N>& row) {
    for (const std::string& cell : row)
      if (!cell.empty()) return false;
    return true;
  };
  while (!rows.empty() && empty(rows.back())) rows.pop_back();
}

}  // namespace

std::variant<std::string, RequestFault> WriteBatchConditions(const BatchRequest& request) {
  // A file name is written as it is; the JSON text cannot hold bytes that
  // form no UTF-8 character.
  for (const auto& [field, name] : {std::pair{"source", &request.conditions.sourceNameText},
                                    std::pair{"extract", &request.conditions.extractNameText},
                                    std::pair{"layout", &request.layoutPath}}) {
    try {
      (void)Json(*name).dump(-1, ' ', false, Json::error_handler_t::strict);
    } catch (const Json::exception&) {
      return RequestFault{
          std::string(field) +
          ": UTF-8 の文字にならないファイル名は保存できません。ファイルを選び直してください。"};
    }
  }
  try {
    std::string text;
    Pretty(Document(request), 0, text);
    text += '\n';
    return text;
  } catch (const Fault& fault) {
    return RequestFault{fault.what};
  }
}

void DropEmptyRowsAtEnd(ExtractionConditions& conditions) {
  DropAtEnd(conditions.ridRows);
  DropAtEnd(conditions.cellRows);
  while (!conditions.specialRows.empty() && conditions.specialRows.back().empty())
    conditions.specialRows.pop_back();
  DropAtEnd(conditions.keyRows);
  DropAtEnd(conditions.codeRows);
}

std::optional<IoError> SaveConditionsFile(const std::filesystem::path& path, std::string_view text) {
  platform::File file;
  if (auto error = file.Open(path, platform::File::Access::Create)) return DescribeIoError(*error, path);
  if (auto error = file.Write(text.data(), text.size())) return DescribeIoError(*error, path);
  if (auto error = file.Close()) return DescribeIoError(*error, path);
  return std::nullopt;
}

}  // namespace sifta::batch
