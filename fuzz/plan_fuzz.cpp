// BuildExtractionPlan over random conditions and layouts, the unusable
// layouts of an unclosed quote on line 1 included: it never crashes, a
// refusal is one message of the expected form, and every plan it hands out
// holds the invariants that the record loop relies on without checking.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <variant>

#include "Conditions.h"
#include "FuzzSupport.h"
#include "run/ExtractionPlan.h"
#include "scan/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string kNotAnInteger = sifta::Sj("' は整数ではありません");
  FuzzedDataProvider in(data, size);

  sifta::FileLayout layout;
  layout.fileName = "in.csv";
  layout.headingKind =
      in.PickValueInArray({sifta::HeadingKind::Standard, sifta::HeadingKind::User, sifta::HeadingKind::None});
  layout.itemCount = in.ConsumeIntegralInRange<int>(1, 40);
  layout.ridItemCount = layout.headingKind == sifta::HeadingKind::Standard
                            ? in.ConsumeIntegralInRange<int>(0, layout.itemCount - 1)
                            : 0;
  switch (in.ConsumeIntegralInRange<int>(0, 15)) {
    case 0:  // an unclosed quote after the cell marker
      layout.itemCount = 0;
      break;
    case 1:  // an unclosed quote before it
      layout.itemCount = 0;
      layout.ridItemCount = layout.headingKind == sifta::HeadingKind::Standard ? -1 : 0;
      break;
    default:
      break;
  }
  layout.bodyCellCount = layout.itemCount - layout.ridItemCount;
  layout.firstRecord = in.ConsumeRandomLengthString(120);
  if (layout.headingKind == sifta::HeadingKind::None) layout.headingText.clear();

  const sifta::ExtractionConditions conditions = fuzz::MakeConditions(in, layout);
  const sifta::PlanResult result = sifta::BuildExtractionPlan(conditions, layout);
  const sifta::PlanResult again = sifta::BuildExtractionPlan(conditions, layout);
  CHECK(result.index() == again.index(), "two builds differ: " + fuzz::Text(layout));

  if (const auto* plan = std::get_if<sifta::ExtractionPlan>(&result)) {
    fuzz::Stats::Count("plan");
    fuzz::CheckPlan(*plan, layout);
    CHECK(fuzz::Text(*plan) == fuzz::Text(std::get<sifta::ExtractionPlan>(again)),
          "two builds differ: " + fuzz::Text(*plan));
    CHECK(plan->sourceName == sifta::TrimBlanks("B", conditions.sourceNameText) &&
              plan->extractName == sifta::TrimBlanks("B", conditions.extractNameText),
          "file names: " + fuzz::Text(*plan));
    CHECK(!plan->extractIsSeries || plan->sourceIsSeries, "extract series without a source series");
  } else if (const auto* error = std::get_if<sifta::PlanError>(&result)) {
    fuzz::Stats::Count("refused");
    CHECK(error->message.starts_with("**"), "refusal \"" + fuzz::Printable(error->message) + "\"");
    CHECK(error->message == std::get<sifta::PlanError>(again).message, "two refusals differ");
  } else {
    fuzz::Stats::Count("conversion");
    const auto& conversion = std::get<sifta::ConversionError>(result);
    CHECK(conversion.message.starts_with("'") && conversion.message.ends_with(kNotAnInteger),
          "conversion message \"" + fuzz::Printable(conversion.message) + "\"");
  }
  return 0;
}
