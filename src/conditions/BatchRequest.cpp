#include "conditions/BatchRequest.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <set>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/Files.h"
#include "scan/Cp932.h"
#include "scan/Scanning.h"

namespace sifta::batch {

namespace {

using nlohmann::json;

// Thrown inside this file only, to leave the reading at the first fault.
struct Fault {
  std::string what;
};

[[noreturn]] void Refuse(const std::string& field, const std::string& detail) {
  throw Fault{field + ": " + detail};
}

void OnlyKeys(const json& object, const std::string& field, std::initializer_list<std::string_view> keys) {
  if (!object.is_object())
    Refuse(field.empty() ? "conditions" : field, "{ \"名前\": 値, ... } の形で書いてください。");
  for (const auto& item : object.items()) {
    bool known = false;
    std::string names;
    for (std::string_view key : keys) {
      known = known || item.key() == key;
      names += names.empty() ? "" : ", ";
      names += key;
    }
    if (!known)
      Refuse(field.empty() ? item.key() : field + "." + item.key(),
             "この名前は使えません。次のどれかにしてください：" + names);
  }
}

std::string Join(const std::string& field, const char* key) {
  return field.empty() ? std::string(key) : field + "." + key;
}

const json* Member(const json& object, const char* key) {
  auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

std::string Text(const json& value, const std::string& field) {
  if (!value.is_string()) Refuse(field, "文字列（\"...\"）で書いてください。");
  return value.get<std::string>();
}

// A file name: no control character anywhere in it (a NUL would cut the
// name short where the system reads it).
std::string FileName(const json& value, const std::string& field) {
  std::string name = Text(value, field);
  for (unsigned char byte : name)
    if (byte < 0x20 || byte == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "U+%04X", byte);
      Refuse(field, std::string("制御文字 ") + code + " があります。ファイル名に制御文字は使えません。");
    }
  return name;
}

bool Flag(const json& object, const std::string& parent, const char* key) {
  const json* value = Member(object, key);
  if (!value) return false;
  if (!value->is_boolean()) Refuse(Join(parent, key), "true か false で書いてください。");
  return value->get<bool>();
}

// A text typed into the window: its code page 932 form, refused when a
// character has none.
std::string Typed(const json& value, const std::string& field) {
  const std::optional<std::string> bytes = Utf8ToCp932(Text(value, field));
  if (!bytes)
    Refuse(field, "シフトJIS（コードページ932）にない文字があります。その文字を使わずに書いてください。");
  return *bytes;
}

template <typename Value>
Value Choose(const json& value, const std::string& field,
             std::initializer_list<std::pair<const char*, Value>> choices) {
  const std::string text = Text(value, field);
  std::string names;
  for (const auto& [name, choice] : choices) {
    if (text == name) return choice;
    names += names.empty() ? "" : ", ";
    names += std::string("\"") + name + "\"";
  }
  Refuse(field, names + " のどれかにしてください。");
}

// Grid rows of up to N cells; missing cells are empty.
template <size_t N>
std::vector<std::array<std::string, N>> Rows(const json* value, const std::string& field) {
  std::vector<std::array<std::string, N>> rows;
  if (!value) return rows;
  if (!value->is_array()) Refuse(field, "行の配列（[[\"1\", \"2\"], ...]）で書いてください。");
  for (size_t r = 0; r < value->size(); ++r) {
    const json& row = (*value)[r];
    const std::string rowField = field + "[" + std::to_string(r) + "]";
    if (!row.is_array()) Refuse(rowField, "セルの文字列の配列（[\"1\", \"2\"]）で書いてください。");
    if (row.size() > N)
      Refuse(rowField, "セルが多すぎます。この表の1行のセルは" + std::to_string(N) + "つまでです。");
    std::array<std::string, N> cells;
    for (size_t c = 0; c < row.size(); ++c)
      cells[c] = GridCellText(Typed(row[c], rowField + "[" + std::to_string(c) + "]"));
    rows.push_back(std::move(cells));
  }
  return rows;
}

std::optional<ColumnChoice> ColumnChoiceOf(const json& tab, const std::string& field) {
  const json* choice = Member(tab, "choice");
  if (!choice) return std::nullopt;
  return Choose<ColumnChoice>(*choice, field + ".choice",
                              {{"all", ColumnChoice::AllItems},
                               {"listed", ColumnChoice::ListedItems},
                               {"none", ColumnChoice::NoItems}});
}

BatchRequest Read(const json& document) {
  OnlyKeys(document, "",
           {"source", "extract", "layout", "heading", "rid", "cells", "zeroNonNumeric", "zeroSpecial",
            "special", "records", "series", "outputEncoding", "sourceColumn", "splitForExcel"});
  BatchRequest request;
  ExtractionConditions& conditions = request.conditions;

  if (const json* source = Member(document, "source"))
    conditions.sourceNameText = FileName(*source, "source");
  if (const json* extract = Member(document, "extract"))
    conditions.extractNameText = FileName(*extract, "extract");

  if (const json* encoding = Member(document, "outputEncoding"))
    conditions.outputEncoding = Choose<OutputEncoding>(*encoding, "outputEncoding",
                                                       {{"cp932", OutputEncoding::Cp932},
                                                        {"utf-8-bom", OutputEncoding::Utf8WithBom},
                                                        {"utf-8", OutputEncoding::Utf8}});
  conditions.sourceColumn = Flag(document, "", "sourceColumn");
  conditions.splitForExcel = Flag(document, "", "splitForExcel");

  if (const json* layout = Member(document, "layout")) {
    request.layoutPath = FileName(*layout, "layout");
    if (request.layoutPath.empty())
      Refuse("layout", "「元ﾌｧｲﾙの選択」で選ぶファイルの名前を書いてください。");
    request.layoutChosen = true;
  } else if (!conditions.sourceNameText.empty()) {
    // The file chosen by the source choice is the one the source name names.
    const std::string source = TrimBlanks("B", conditions.sourceNameText);
    if (source.find('@') != std::string::npos)
      Refuse("layout",
             "元ファイル名に＠があるときは必要です。シリーズの最初のファイルの名前を書いてください。");
    request.layoutPath = source;
    request.layoutChosen = true;
  }

  if (const json* heading = Member(document, "heading"))
    request.headingAnswer = Choose<std::optional<HeadingKind>>(
        *heading, "heading",
        {{"user", HeadingKind::User}, {"none", HeadingKind::None}, {"cancel", std::nullopt}});

  if (const json* rid = Member(document, "rid")) {
    OnlyKeys(*rid, "rid", {"choice", "rows"});
    conditions.ridChoice = ColumnChoiceOf(*rid, "rid");
    conditions.ridRows = Rows<2>(Member(*rid, "rows"), "rid.rows");
  }
  if (const json* cells = Member(document, "cells")) {
    OnlyKeys(*cells, "cells", {"choice", "rows"});
    conditions.cellChoice = ColumnChoiceOf(*cells, "cells");
    conditions.cellRows = Rows<4>(Member(*cells, "rows"), "cells.rows");
  }

  conditions.zeroNonNumeric = Flag(document, "", "zeroNonNumeric");
  conditions.zeroSpecial = Flag(document, "", "zeroSpecial");
  if (const json* special = Member(document, "special")) {
    if (!special->is_array()) Refuse("special", "文字列の配列（[\"-\", \"X\"]）で書いてください。");
    for (size_t r = 0; r < special->size(); ++r)
      conditions.specialRows.push_back(
          GridCellText(Typed((*special)[r], "special[" + std::to_string(r) + "]")));
  }

  if (const json* records = Member(document, "records")) {
    OnlyKeys(*records, "records", {"mode", "keys", "codes", "grouping", "allExcept"});
    if (const json* mode = Member(*records, "mode"))
      conditions.recordMode = Choose<RecordMode>(*mode, "records.mode",
                                                 {{"all", RecordMode::All},
                                                  {"count", RecordMode::Count},
                                                  {"code", RecordMode::Code},
                                                  {"value", RecordMode::Value}});
    conditions.keyRows = Rows<2>(Member(*records, "keys"), "records.keys");
    conditions.codeRows = Rows<2>(Member(*records, "codes"), "records.codes");
    if (const json* grouping = Member(*records, "grouping"))
      conditions.grouping = Choose<CodeGrouping>(*grouping, "records.grouping",
                                                 {{"unknown", CodeGrouping::Unknown},
                                                  {"grouped", CodeGrouping::GroupedInOrder},
                                                  {"scattered", CodeGrouping::Scattered}});
    conditions.extractAllExcept = Flag(*records, "records", "allExcept");
  }

  if (const json* series = Member(document, "series")) {
    if (!series->is_array())
      Refuse("series",
             "＠文字の指定の配列（[{\"first\": \"01\", \"last\": \"03\"}, ...]）で書いてください。");
    for (size_t e = 0; e < series->size(); ++e) {
      const json& entry = (*series)[e];
      const std::string field = "series[" + std::to_string(e) + "]";
      OnlyKeys(entry, field, {"first", "last", "lastEntry"});
      SubstitutionTexts texts;
      if (const json* first = Member(entry, "first")) texts.left = Typed(*first, field + ".first");
      if (const json* last = Member(entry, "last")) texts.right = Typed(*last, field + ".last");
      texts.lastEntryChecked = Flag(entry, field, "lastEntry");
      request.series.push_back(std::move(texts));
    }
  }
  return request;
}

// Where the parser stands, for the name of a key given twice: one frame per
// open object or array, holding its current key or element number.
class KeyPath {
 public:
  // The parser's callback: false (drop the value) never; a duplicate is
  // remembered and the parse ends after it.
  void Event(json::parse_event_t event, const json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
      case json::parse_event_t::array_start:
        StartElement();
        frames_.push_back(Frame{event == json::parse_event_t::array_start, 0, {}, {}});
        break;
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        if (!frames_.empty()) frames_.pop_back();
        break;
      case json::parse_event_t::key: {
        Frame& object = frames_.back();
        object.key = parsed.get<std::string>();
        if (!object.keys.insert(object.key).second && !duplicate_) duplicate_ = Here();
        break;
      }
      case json::parse_event_t::value:
        StartElement();
        break;
    }
  }
  const std::optional<std::string>& Duplicate() const { return duplicate_; }

 private:
  struct Frame {
    bool array;
    size_t elements;  // of an array, counting the current one
    std::string key;  // of an object, the current one
    std::set<std::string> keys;
  };

  // A value begins: in an array it is the next element.
  void StartElement() {
    if (!frames_.empty() && frames_.back().array) ++frames_.back().elements;
  }

  std::string Here() const {
    std::string path;
    for (const Frame& frame : frames_) {
      if (frame.array) {
        path += '[';
        path += std::to_string(frame.elements - 1);
        path += ']';
      } else {
        if (!path.empty()) path += '.';
        path += frame.key;
      }
    }
    return path;
  }

  std::vector<Frame> frames_;
  std::optional<std::string> duplicate_;
};

// Where the parser stopped, as the user finds it in an editor: the line and
// the character on it (UTF-8 characters, counted from 1).
std::string NotJson(std::string_view text, const json::parse_error& error) {
  const std::size_t at = std::min<std::size_t>(error.byte > 0 ? error.byte - 1 : 0, text.size());
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < at; ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      ++line;
      column = 1;
    } else if ((byte & 0xC0) != 0x80) {
      ++column;
    }
  }
  const std::string where = std::to_string(line) + "行目の" + std::to_string(column) + "文字目";
  if (std::string_view(error.what()).find("UTF-8") != std::string_view::npos)
    return "UTF-8 でない文字があります（" + where + "）。条件ファイルは UTF-8 で保存してください。";
  return "JSON の書き方に誤りがあります（" + where +
         "）。その前後の括弧、引用符（\"）、コンマを確かめてください。";
}

}  // namespace

std::variant<nlohmann::json, RequestFault> ParseConditionsText(std::string_view text) {
  KeyPath path;
  json document;
  try {
    document = json::parse(
        text,
        [&path](int, json::parse_event_t event, json& parsed) {
          path.Event(event, parsed);
          return true;
        },
        true, /*ignore_comments=*/true);
  } catch (const json::parse_error& error) {
    return RequestFault{NotJson(text, error)};
  } catch (const json::exception& error) {
    return RequestFault{std::string("JSON として読めません（") + error.what() + "）。"};
  }
  if (path.Duplicate()) return RequestFault{*path.Duplicate() + ": 2回書かれています。1つにしてください。"};
  return document;
}

std::variant<BatchRequest, RequestFault> ReadBatchRequest(const nlohmann::json& document) {
  try {
    return Read(document);
  } catch (const Fault& fault) {
    return RequestFault{fault.what};
  }
}

std::variant<BatchRequest, IoError, RequestFault> LoadConditionsFile(const std::filesystem::path& path) {
  platform::File file;
  if (auto error = file.Open(path, platform::File::Access::Read)) return DescribeIoError(*error, path);
  std::string content;
  char block[1 << 16];
  for (;;) {
    const platform::File::ReadResult read = file.Read(block, sizeof block);
    if (read.error) return DescribeIoError(*read.error, path);
    if (read.bytes == 0) break;
    content.append(block, read.bytes);
  }
  auto parsed = ParseConditionsText(content);
  if (auto* fault = std::get_if<RequestFault>(&parsed)) return std::move(*fault);
  auto read = ReadBatchRequest(std::get<nlohmann::json>(parsed));
  if (auto* fault = std::get_if<RequestFault>(&read)) return std::move(*fault);
  return std::move(std::get<BatchRequest>(read));
}

}  // namespace sifta::batch
