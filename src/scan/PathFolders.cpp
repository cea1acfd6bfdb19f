#include "scan/PathFolders.h"

#include <sys/stat.h>

namespace sifta {

void CreatePathFolders(const std::string& path) {
  // Each separator ends the name of one folder: the text in front of it. On
  // Linux no byte of a multibyte UTF-8 character is '/', so a plain byte
  // search finds the separators. The text in front of the first separator of
  // an absolute path is the empty root, which is passed over.
  for (size_t at = path.find('/'); at != std::string::npos; at = path.find('/', at + 1)) {
    if (at == 0 || path[at - 1] == '/') continue;  // the root, or a doubled separator
    const std::string folder = path.substr(0, at);
    struct stat info;
    if (::stat(folder.c_str(), &info) == 0) continue;
    ::mkdir(folder.c_str(), 0777);  // a failure is passed over
  }
}

}  // namespace sifta
