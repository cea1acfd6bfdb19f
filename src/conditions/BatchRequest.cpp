#include "conditions/BatchRequest.h"

#include <array>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <set>
#include <string_view>

#include <nlohmann/json.hpp>

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
  if (!object.is_object()) Refuse(field.empty() ? "conditions" : field, "must be an object");
  for (const auto& item : object.items()) {
    bool known = false;
    for (std::string_view key : keys) known = known || item.key() == key;
    if (!known) Refuse(field.empty() ? item.key() : field + "." + item.key(), "unknown key");
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
  if (!value.is_string()) Refuse(field, "must be a string");
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
      Refuse(field, std::string("holds the control character ") + code + ", which no file name may hold");
    }
  return name;
}

bool Flag(const json& object, const std::string& parent, const char* key) {
  const json* value = Member(object, key);
  if (!value) return false;
  if (!value->is_boolean()) Refuse(Join(parent, key), "must be true or false");
  return value->get<bool>();
}

// A text typed into the window: its code page 932 form, refused when a
// character has none.
std::string Typed(const json& value, const std::string& field) {
  const std::optional<std::string> bytes = Utf8ToCp932(Text(value, field));
  if (!bytes) Refuse(field, "holds a character that code page 932 does not have");
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
  Refuse(field, "must be one of " + names);
}

// Grid rows of up to N cells; missing cells are empty.
template <size_t N>
std::vector<std::array<std::string, N>> Rows(const json* value, const std::string& field) {
  std::vector<std::array<std::string, N>> rows;
  if (!value) return rows;
  if (!value->is_array()) Refuse(field, "must be an array of rows");
  for (size_t r = 0; r < value->size(); ++r) {
    const json& row = (*value)[r];
    const std::string rowField = field + "[" + std::to_string(r) + "]";
    if (!row.is_array()) Refuse(rowField, "must be an array of cell texts");
    if (row.size() > N) Refuse(rowField, "has more than " + std::to_string(N) + " cells");
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
            "special", "records", "series"});
  BatchRequest request;
  ExtractionConditions& conditions = request.conditions;

  if (const json* source = Member(document, "source"))
    conditions.sourceNameText = FileName(*source, "source");
  if (const json* extract = Member(document, "extract"))
    conditions.extractNameText = FileName(*extract, "extract");

  if (const json* layout = Member(document, "layout")) {
    request.layoutPath = FileName(*layout, "layout");
    if (request.layoutPath.empty()) Refuse("layout", "must name a file");
    request.layoutChosen = true;
  } else if (!conditions.sourceNameText.empty()) {
    // The file chosen by the source choice is the one the source name names.
    const std::string source = TrimBlanks("B", conditions.sourceNameText);
    if (source.find('@') != std::string::npos)
      Refuse("layout", "needed when the source name holds @ (the first file of the series)");
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
    if (!special->is_array()) Refuse("special", "must be an array of cell texts");
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
    if (!series->is_array()) Refuse("series", "must be an array of entries");
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
  } catch (const json::exception& error) {
    return RequestFault{std::string("not a JSON conditions file: ") + error.what()};
  }
  if (path.Duplicate()) return RequestFault{*path.Duplicate() + ": is given twice"};
  return document;
}

std::variant<BatchRequest, RequestFault> ReadBatchRequest(const nlohmann::json& document) {
  try {
    return Read(document);
  } catch (const Fault& fault) {
    return RequestFault{fault.what};
  }
}

}  // namespace sifta::batch
