// sifta-count FILE [standard|user|none]: prints the record count of FILE as
// the source information window works it out (heading kind "none" by
// default, which is the number of lines).
#include <cstdio>
#include <cstring>
#include <string>

#include "inspect/FileInspection.h"
#include "scan/Cp932.h"

int main(int argc, char** argv) {
  using sifta::HeadingKind;
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: sifta-count FILE [standard|user|none]\n");
    return 2;
  }
  HeadingKind kind = HeadingKind::None;
  if (argc == 3) {
    if (std::strcmp(argv[2], "standard") == 0)
      kind = HeadingKind::Standard;
    else if (std::strcmp(argv[2], "user") == 0)
      kind = HeadingKind::User;
    else if (std::strcmp(argv[2], "none") != 0) {
      std::fprintf(stderr, "sifta-count: unknown heading kind '%s'\n", argv[2]);
      return 2;
    }
  }
  const auto result = sifta::CountRecords(argv[1], kind);
  if (const auto* error = std::get_if<sifta::IoError>(&result)) {
    std::fprintf(stderr, "sifta-count: %s\n", sifta::Cp932ToUtf8ForDisplay(error->message).c_str());
    return 1;
  }
  std::printf("%lld\n", static_cast<long long>(std::get<std::int64_t>(result)));
  return 0;
}
