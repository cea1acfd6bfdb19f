// Conditions and layouts that many engine tests start from.
#pragma once

#include <string>

#include "inspect/FileLayout.h"
#include "run/ExtractionConditions.h"
#include "scan/Cp932.h"

namespace sifta::testing {

// Every item of every record of `source` into `extract`.
inline ExtractionConditions Everything(const std::string& source, const std::string& extract) {
  ExtractionConditions conditions;
  conditions.sourceNameText = source;
  conditions.extractNameText = extract;
  conditions.ridChoice = ColumnChoice::AllItems;
  conditions.cellChoice = ColumnChoice::AllItems;
  conditions.recordMode = RecordMode::All;
  return conditions;
}

// The layout of a file with the standard heading "ID,ｾﾙ1" (one RID item, one
// cell) whose first record is `firstRecord`.
inline FileLayout OneCellLayout(const std::string& fileName, const std::string& firstRecord) {
  FileLayout layout;
  layout.fileName = fileName;
  layout.headingKind = HeadingKind::Standard;
  layout.headingText = Sj("ID,ｾﾙ1");
  layout.firstRecord = firstRecord;
  layout.itemCount = 2;
  layout.ridItemCount = 1;
  layout.bodyCellCount = 1;
  return layout;
}

}  // namespace sifta::testing
