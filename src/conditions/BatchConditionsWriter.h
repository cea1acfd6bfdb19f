// The conditions file written: the main window saves what its controls hold
// as the JSON that ReadBatchRequest reads, so that the same cut runs again
// from the window or from sifta-batch.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "conditions/BatchRequest.h"
#include "inspect/TextFile.h"

namespace sifta::batch {

// The JSON text of `request` (UTF-8, LF line ends): ParseConditionsText and
// ReadBatchRequest give back the same request. Grid texts are code page 932
// and are written as UTF-8; one that does not come back as the same bytes
// (no code page 932 text, or a second code of one character) is refused,
// naming its field, as is a file name that is no UTF-8 text. Written are
// every tab, the check boxes, "layout" when `layoutChosen` (a request
// without a chosen layout and with a source name reads back with the source
// name as its layout, as sifta-batch takes it), "heading" when answered, and
// "series" when it holds entries.
std::variant<std::string, RequestFault> WriteBatchConditions(const BatchRequest& request);

// The grid rows after the last one that holds a text say nothing to a run:
// they are left out (rows in between stay, the row numbers of messages
// count them).
void DropEmptyRowsAtEnd(ExtractionConditions& conditions);

// `text` written as the file `path` (replaced when it exists).
std::optional<IoError> SaveConditionsFile(const std::filesystem::path& path, std::string_view text);

}  // namespace sifta::batch
