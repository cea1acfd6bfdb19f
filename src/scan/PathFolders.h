// Creation of the folders along the path of a file about to be written.
#pragma once

#include <string>

namespace sifta {

// Creates every missing folder along `path` (a UTF-8 path with '/' as the
// separator), one level at a time, from the top down. The last component (the
// file name) is never created, nor is the root of an absolute path; for a
// relative path ("sub/dir/x.csv") the folders from its first component down
// are created. A folder that cannot be created is passed over: opening the
// file afterwards fails and the caller reports that.
void CreatePathFolders(const std::string& path);

}  // namespace sifta
