// Random conditions over random layouts, numbers near the 32-bit limits
// included: every plan BuildExtractionPlan accepts keeps the invariants the
// record loop relies on (ExtractionPlan.h).
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "run/ExtractionPlan.h"
#include "scan/Cp932.h"

namespace sifta {
namespace {

using Wide = std::int64_t;

// Failures are reported through gtest; `where` names the case.
void CheckInvariants(const ExtractionPlan& p, const FileLayout& layout, const ExtractionConditions& c,
                     const std::string& where) {
  SCOPED_TRACE(where);
  const Wide rid = layout.ridItemCount;
  const Wide items = layout.itemCount;
  ASSERT_GE(items, 1);
  ASSERT_GE(rid, 0);
  ASSERT_LE(rid, items);

  if (layout.headingKind != HeadingKind::Standard) {
    EXPECT_TRUE(p.ridRanges.empty());
    EXPECT_FALSE(p.ridChoice.has_value());
  }
  for (const NumberRange& r : p.ridRanges) {
    EXPECT_GE(r.first, 1);
    EXPECT_LE(r.first, r.last);
    EXPECT_LE(r.last, rid);
  }
  for (const CellRule& r : p.cellRules) {
    EXPECT_GE(r.first, rid + 1);
    EXPECT_LE(r.first, r.last);
    EXPECT_LE(r.last, items);
    if (r.interval == 0) {
      EXPECT_EQ(r.nextFirst, 0);
      EXPECT_EQ(r.lastFirst, 0);
    } else {
      EXPECT_EQ(r.interval, Wide{r.nextFirst} - r.first);
      EXPECT_GT(r.interval, r.last - r.first);  // blocks never overlap
      EXPECT_GE(r.lastFirst, r.nextFirst);
      EXPECT_EQ((Wide{r.lastFirst} - r.first) % r.interval, 0);
      EXPECT_LE(Wide{r.lastFirst} + (Wide{r.last} - r.first), items);
    }
  }
  EXPECT_FALSE(p.ridRanges.empty() && p.cellRules.empty());

  if (p.cellChoice == ColumnChoice::NoItems) {
    EXPECT_FALSE(p.zeroNonNumeric);
    EXPECT_FALSE(p.zeroSpecial);
  }
  if (p.zeroSpecial) {
    EXPECT_FALSE(p.specialStrings.empty());
  } else {
    EXPECT_TRUE(p.specialStrings.empty());
  }
  if (p.specialStrings.empty()) {
    EXPECT_EQ(p.specialMinLength, 99);
    EXPECT_EQ(p.specialMaxLength, 0);
  }
  for (const SpecialString& s : p.specialStrings) {
    EXPECT_EQ(s.length, static_cast<int>(s.text.size()));
    EXPECT_GT(s.length, 0);
    EXPECT_EQ(s.text.find('"'), std::string::npos);
    EXPECT_LE(p.specialMinLength, s.length);
    EXPECT_GE(p.specialMaxLength, s.length);
  }

  ASSERT_TRUE(c.recordMode.has_value());
  EXPECT_EQ(p.recordMode, *c.recordMode);
  if (p.recordMode == RecordMode::All || p.recordMode == RecordMode::Count) {
    ASSERT_FALSE(p.countRanges.empty());
    if (p.recordMode == RecordMode::All) {
      ASSERT_EQ(p.countRanges.size(), 1u);
      EXPECT_EQ(p.countRanges[0], (NumberRange{1, OpenEndCount}));
    }
    for (size_t i = 0; i < p.countRanges.size(); ++i) {
      EXPECT_GE(p.countRanges[i].first, 1);
      EXPECT_LE(p.countRanges[i].first, p.countRanges[i].last);
      if (i > 0) {
        EXPECT_LT(p.countRanges[i - 1].last, p.countRanges[i].first);
      }
    }
    EXPECT_TRUE(p.keyRanges.empty());
    EXPECT_TRUE(p.codeRanges.empty());
  } else {
    EXPECT_TRUE(p.countRanges.empty());
    ASSERT_FALSE(p.keyRanges.empty());
    ASSERT_FALSE(p.codeRanges.empty());
    const Wide recordLength = static_cast<Wide>(layout.firstRecord.size());
    for (const KeyRange& k : p.keyRanges) {
      EXPECT_GE(k.firstItem, 1);
      EXPECT_LE(k.firstItem, k.lastItem);
      if (p.recordMode == RecordMode::Code) {
        EXPECT_GE(k.startPos, 1);
        EXPECT_EQ(k.length, k.endPos - k.startPos + 1);
        EXPECT_GE(k.length, 0);
        EXPECT_LE(k.endPos, recordLength);
      } else {
        EXPECT_EQ(k.startPos, 0);
        EXPECT_EQ(k.endPos, 0);
        EXPECT_EQ(k.length, 0);
      }
    }
    for (size_t i = 0; i < p.codeRanges.size(); ++i) {
      const CodeRange& r = p.codeRanges[i];
      EXPECT_EQ(r.low.size(), static_cast<size_t>(p.keyLength));
      EXPECT_EQ(r.high.size(), static_cast<size_t>(p.keyLength));
      EXPECT_LE(r.low, r.high);
      EXPECT_EQ(r.low.find('"'), std::string::npos);
      EXPECT_EQ(r.high.find('"'), std::string::npos);
      if (p.grouping == CodeGrouping::GroupedInOrder && i > 0) {
        EXPECT_LT(p.codeRanges[i - 1].high, r.low);
      }
    }
  }
  EXPECT_EQ(p.grouping, c.recordMode == RecordMode::Value ? CodeGrouping::Unknown : c.grouping);
  EXPECT_EQ(p.extractAllExcept, c.extractAllExcept);
}

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  FileLayout Layout() {
    FileLayout l;
    l.headingKind = Pick<HeadingKind>({HeadingKind::Standard, HeadingKind::User, HeadingKind::None});
    const int rid = l.headingKind == HeadingKind::Standard ? Below(7) : 0;
    const int cells = Below(2) == 0 ? Below(9) : 10 + Below(40);
    l.ridItemCount = rid;
    l.itemCount = rid + cells;
    switch (Below(10)) {
      case 0:  // an unclosed quote on line 1
        l.itemCount = 0;
        break;
      case 1:  // as many items as a number can name
        l.itemCount = INT_MAX - Below(3);
        break;
      default:
        break;
    }
    l.bodyCellCount = l.itemCount - l.ridItemCount;
    l.firstRecord = Pick<std::string>({"", "1", "\"01\",\"002\",3,4,5", "a,,\"x,y\",\"\",5,6,7,8",
                                       "\"open,1,2", Sj("ｱ,ｲ,\"ｳ\",1,2,3,4,5,6,7,8,9,10,11,12,13,14")});
    return l;
  }

  ExtractionConditions Conditions() {
    ExtractionConditions c;
    c.sourceNameText = Pick<std::string>({"", " ", "a.csv", "a@.csv", " b@ "});
    c.extractNameText = Pick<std::string>({"", "o.csv", "o@.csv"});
    if (Below(8) != 0) c.sourceNameText = "a@.csv";  // keep most cases past the names
    if (Below(8) != 0) c.extractNameText = "o.csv";
    c.ridChoice = Choice();
    c.cellChoice = Choice();
    for (int i = Below(4); i > 0; --i) c.ridRows.push_back({Number(), Last()});
    for (int i = Below(4); i > 0; --i) c.cellRows.push_back(CellRow());
    c.zeroNonNumeric = Below(2) == 0;
    c.zeroSpecial = Below(2) == 0;
    for (int i = Below(3); i > 0; --i)
      c.specialRows.push_back(Pick<std::string>({"", "\"\"", "101", "\"x \"", "7"}));
    if (Below(12) != 0)
      c.recordMode =
          Pick<RecordMode>({RecordMode::All, RecordMode::Count, RecordMode::Code, RecordMode::Value});
    for (int i = Below(4); i > 0; --i) c.keyRows.push_back({Number(), Last()});
    width_ = 1 + Below(3);
    for (int i = Below(4); i > 0; --i) c.codeRows.push_back({Code(), Below(2) == 0 ? "" : Code()});
    c.grouping =
        Pick<CodeGrouping>({CodeGrouping::Unknown, CodeGrouping::GroupedInOrder, CodeGrouping::Scattered});
    c.extractAllExcept = Below(2) == 0;
    return c;
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  template <typename T>
  T Pick(std::initializer_list<T> values) {
    return *(values.begin() + Below(static_cast<int>(values.size())));
  }

  std::optional<ColumnChoice> Choice() {
    if (Below(10) == 0) return std::nullopt;
    return Pick<ColumnChoice>({ColumnChoice::AllItems, ColumnChoice::ListedItems, ColumnChoice::ListedItems,
                               ColumnChoice::NoItems});
  }

  // Mostly small numbers that pass; now and then one that does not, or one
  // near the 32-bit limit.
  std::string Number() {
    if (Below(4) != 0) return std::to_string(1 + Below(6));
    return Pick<std::string>({"", "7", "9", "12", "0", "-1", "x", "$3", "2147483647", "2147483646",
                              "2147483645", "1073741824", "1073741825"});
  }
  std::string Last() { return Below(5) == 0 ? "*" : Below(2) == 0 ? "" : Number(); }
  std::string Optional() { return Below(2) == 0 ? "" : Number(); }

  // A third of the rows repeat a block as the rules allow, from a small or a
  // huge first number.
  std::array<std::string, 4> CellRow() {
    if (Below(3) != 0) return {Number(), Last(), Optional(), Optional()};
    const Wide base = Below(4) == 0 ? 1073741824 + Below(3) : 1 + Below(3);
    const Wide width = Below(3);
    const Wide interval = width + 1 + Below(3) + (Below(4) == 0 ? 1073741823 : 0);
    const Wide steps = Below(4);
    const Wide lastFirst = base + interval * (steps == 0 ? 1 : steps) + (Below(5) == 0 ? 1 : 0);
    return {std::to_string(base), width == 0 ? "" : std::to_string(base + width),
            std::to_string(base + interval), std::to_string(lastFirst)};
  }

  // Codes of one width per case, mostly digits.
  std::string Code() {
    if (Below(4) == 0)
      return Pick<std::string>({"", "\"\"", "\"1 \"", "A", Sj("ｱ"), "01002", "002", "3", "4"});
    std::string code;
    for (int i = 0; i < width_; ++i) code += static_cast<char>('0' + Below(10));
    return code;
  }

  int width_ = 1;
  std::mt19937 random_;
};

TEST(ExtractionPlanInvariants, HoldForRandomConditions) {
  Generator generate(20260126);
  int accepted = 0;
  int keyed = 0;
  int repeated = 0;
  for (int i = 0; i < 100000; ++i) {
    const FileLayout layout = generate.Layout();
    const ExtractionConditions conditions = generate.Conditions();
    const PlanResult result = BuildExtractionPlan(conditions, layout);
    if (const auto* plan = std::get_if<ExtractionPlan>(&result)) {
      ++accepted;
      if (!plan->keyRanges.empty()) ++keyed;
      for (const CellRule& r : plan->cellRules) repeated += r.interval > 0;
      CheckInvariants(*plan, layout, conditions, "case " + std::to_string(i));
      if (HasFailure()) return;
    } else if (const auto* error = std::get_if<PlanError>(&result)) {
      EXPECT_EQ(error->message.rfind("**", 0), 0u) << "case " << i;
    }
  }
  // The generator reaches the interesting plans.
  EXPECT_GT(accepted, 1000);
  EXPECT_GT(keyed, 100);
  EXPECT_GT(repeated, 50);
}

}  // namespace
}  // namespace sifta
