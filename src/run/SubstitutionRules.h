// The rules of the @ dialog ("＠文字の入力"), apart from the window: what an
// entry of the left-hand text, the right-hand text and the check box
// "これが最後の指定です" means for the series. The Qt dialog only collects the
// texts and shows what these rules say.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "run/WindowLayer.h"

namespace sifta {

// The dialog's texts as typed (code page 932), untrimmed.
struct SubstitutionTexts {
  std::string left;               // Edit2
  std::string right;              // Edit3 (read even while hidden)
  bool lastEntryChecked = false;  // CheckBox1
  friend bool operator==(const SubstitutionTexts&, const SubstitutionTexts&) = default;
};

enum class SubstitutionFocus { Edit2, Edit3 };

// The entry is refused: a beep, the message, the focus; the dialog stays open.
struct SubstitutionRefusal {
  std::string message;
  SubstitutionFocus focus = SubstitutionFocus::Edit2;
};

// "次　へ": the entry the dialog hands back (a range width of 0 with
// lastEntry set ends the series), or why it is refused.
std::variant<SubstitutionEntry, SubstitutionRefusal> CheckSubstitutionEntry(const SubstitutionTexts& texts);

// Enter in Edit2: true when the trimmed text is digits only or empty, so the
// right-hand box and "～" are shown and take the focus; false when they are
// hidden and the focus goes to the check box.
bool TakesRangeEnd(std::string_view leftText);

}  // namespace sifta
