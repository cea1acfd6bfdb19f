#include "scan/PathFolders.h"

#include "platform/Files.h"

namespace sifta {

namespace {

using Native = std::filesystem::path::string_type;
using Unit = std::filesystem::path::value_type;

// Neither UTF-8 nor UTF-16 has a byte or unit of a multibyte character that
// equals a separator, so a plain search over the native name finds them.
bool IsSeparator(Unit unit) {
  return unit == static_cast<Unit>('/') || unit == std::filesystem::path::preferred_separator;
}

// The length of the part in front of the first folder that may be created:
// the drive ("C:"), or the server and share of a UNC name ("\\server\share").
size_t RootLength(const Native& name) {
  if (std::filesystem::path::preferred_separator == '/') return 0;
  if (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) {
    size_t at = 2;
    for (int part = 0; part < 2; ++part) {  // the server, then the share
      while (at < name.size() && IsSeparator(name[at])) ++at;
      while (at < name.size() && !IsSeparator(name[at])) ++at;
    }
    return at;
  }
  return std::filesystem::path(name).root_name().native().size();
}

}  // namespace

std::vector<std::filesystem::path> PathFoldersOf(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> folders;
  const Native& name = path.native();
  const size_t root = RootLength(name);
  for (size_t at = root; at < name.size(); ++at) {
    if (!IsSeparator(name[at])) continue;
    if (at == 0 || at <= root || IsSeparator(name[at - 1])) continue;  // the root, or a doubled separator
    folders.emplace_back(name.substr(0, at));
  }
  return folders;
}

void CreatePathFolders(const std::filesystem::path& path) {
  for (const std::filesystem::path& folder : PathFoldersOf(path))
    if (!platform::Exists(folder)) platform::CreateFolder(folder);  // a failure is passed over
}

}  // namespace sifta
