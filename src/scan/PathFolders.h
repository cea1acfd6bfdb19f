// Creation of the folders along the path of a file about to be written.
#pragma once

#include <filesystem>
#include <vector>

namespace sifta {

// Creates every missing folder along `path`, one level at a time, from the
// top down. Each separator ends the name of one folder: the text in front of
// it. The separator is '/' on Linux; on Windows it is the backslash and the
// slash. The last component (the file name) is never created, nor is the root
// of the path: the drive (C:), the server and share of a UNC name
// (\\server\share), the root folder. A relative path ("sub\dir\x.csv")
// gets its folders from its first component down. A folder that cannot be
// created is passed over: opening the file afterwards fails and the caller
// reports that.
void CreatePathFolders(const std::filesystem::path& path);

// The folders that CreatePathFolders creates when none exists, in its order.
std::vector<std::filesystem::path> PathFoldersOf(const std::filesystem::path& path);

}  // namespace sifta
