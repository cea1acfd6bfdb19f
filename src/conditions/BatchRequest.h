// The conditions file of sifta-batch: what the window's controls would hold,
// as JSON. Grid texts are UTF-8 there and become code page 932 cell texts
// exactly as typed text does in the window; rows are the grid rows in order.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "inspect/FileLayout.h"
#include "inspect/TextFile.h"
#include "run/ExtractionConditions.h"
#include "run/SubstitutionRules.h"

namespace sifta::batch {

struct BatchRequest {
  ExtractionConditions conditions;
  // The file whose layout is read, as the source choice reads it, when
  // `layoutChosen`; nothing is read without a source name at all (the plan
  // refuses the run). A source name of blanks chooses the empty name, whose
  // open fails.
  bool layoutChosen = false;
  std::string layoutPath;
  // The answer to the heading question; nothing stands for Cancel.
  std::optional<HeadingKind> headingAnswer;
  // The entries of the @ dialog, in the order they are typed (code page 932).
  std::vector<SubstitutionTexts> series;

  friend bool operator==(const BatchRequest&, const BatchRequest&) = default;
};

// What is wrong with the conditions file and what to do, in Japanese
// (UTF-8): after the field as the file names it ("rid.rows[0][1]: ..."), or
// with the line and the character where the JSON text goes wrong.
struct RequestFault {
  std::string what;
};

std::variant<BatchRequest, RequestFault> ReadBatchRequest(const nlohmann::json& document);

// A conditions file read, parsed and checked: the request; the input/output
// error of reading it; or what is wrong with it.
std::variant<BatchRequest, IoError, RequestFault> LoadConditionsFile(const std::filesystem::path& path);

// The JSON document of a conditions file's text: `//` comments allowed, a
// key given twice in one object refused (naming it), as is text that is no
// JSON.
std::variant<nlohmann::json, RequestFault> ParseConditionsText(std::string_view text);

}  // namespace sifta::batch
