#include "run/SubstitutionRules.h"

#include "run/RunMessages.h"
#include "scan/Cp932.h"
#include "scan/Scanning.h"

namespace sifta {

namespace {

// The stepping of a range is defined for up to 8 digits, the limit the dialog states.
constexpr size_t kLongestEntry = 8;

// The text goes into a file name: it must be code page 932 text that has a
// UTF-8 form, and a NUL byte would cut the path short.
bool UsableInFileName(std::string_view text) {
  return text.find('\0') == std::string_view::npos && Cp932ToUtf8(text).has_value();
}

}  // namespace

std::variant<SubstitutionEntry, SubstitutionRefusal> CheckSubstitutionEntry(const SubstitutionTexts& texts) {
  const std::string first = TrimBlanks("B", texts.left);
  const int width = static_cast<int>(first.size());
  if (width == 0) {
    if (texts.lastEntryChecked) return SubstitutionEntry{{}, {}, 0, true};
    return SubstitutionRefusal{LeftTextMissingMessage(), SubstitutionFocus::Edit2};
  }
  if (first.size() > kLongestEntry)
    return SubstitutionRefusal{EntryTooLongMessage(), SubstitutionFocus::Edit2};
  if (!UsableInFileName(first))
    return SubstitutionRefusal{EntryNotFileNameMessage(), SubstitutionFocus::Edit2};
  if (IsAllDigits(first) != 0) return SubstitutionEntry{first, first, width, texts.lastEntryChecked};

  // Digits: a range up to the right-hand text, read even while its box is hidden.
  std::string last = TrimBlanks("B", texts.right);
  if (last.empty()) last = first;
  if (IsAllDigits(last) != 0)
    return SubstitutionRefusal{RightTextNotDigitsMessage(), SubstitutionFocus::Edit3};
  if (last.size() != first.size())
    return SubstitutionRefusal{TextLengthsDifferMessage(), SubstitutionFocus::Edit2};
  if (first > last) return SubstitutionRefusal{TextsReversedMessage(), SubstitutionFocus::Edit2};
  return SubstitutionEntry{first, last, width, texts.lastEntryChecked};
}

bool TakesRangeEnd(std::string_view leftText) { return IsAllDigits(TrimBlanks("B", leftText)) == 0; }

}  // namespace sifta
