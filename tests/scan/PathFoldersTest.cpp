#include "scan/PathFolders.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scan/TempFolder.h"

namespace sifta {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// Runs CreatePathFolders with `relative` taken from inside `base`.
class CurrentFolder {
 public:
  explicit CurrentFolder(const fs::path& to) : before_(fs::current_path()) { fs::current_path(to); }
  ~CurrentFolder() { fs::current_path(before_); }

 private:
  fs::path before_;
};

TEST(CreatePathFolders, AbsolutePathCreatesEveryMissingFolderBelowTheRoot) {
  TempFolder temp;
  const std::string path = temp / "a/b/c/x.csv";
  CreatePathFolders(path);
  EXPECT_TRUE(fs::is_directory(temp.Path() / "a"));
  EXPECT_TRUE(fs::is_directory(temp.Path() / "a/b"));
  EXPECT_TRUE(fs::is_directory(temp.Path() / "a/b/c"));
  EXPECT_FALSE(fs::exists(path)) << "the file name is never created";
}

TEST(CreatePathFolders, RelativePathCreatesFromItsFirstComponent) {
  TempFolder temp;
  CurrentFolder inside(temp.Path());
  CreatePathFolders("sub/dir/x.csv");
  EXPECT_TRUE(fs::is_directory(temp.Path() / "sub"));
  EXPECT_TRUE(fs::is_directory(temp.Path() / "sub/dir"));
  EXPECT_FALSE(fs::exists(temp.Path() / "sub/dir/x.csv"));
}

TEST(CreatePathFolders, BareNamesAndTheRootCreateNothing) {
  TempFolder temp;
  CurrentFolder inside(temp.Path());
  for (const char* path : {"x.csv", "", "/", "/x.csv", "./x.csv"}) {
    CreatePathFolders(path);
    EXPECT_TRUE(fs::is_empty(temp.Path())) << path;
  }
}

TEST(CreatePathFolders, Utf8NamesDoubledSeparatorsAndDotComponents) {
  TempFolder temp;
  // "表" is E8 A1 A8 in UTF-8, "ソ" E3 82 BD: no byte of them is '/'.
  CreatePathFolders(temp.Path() / fs::path(u8"表ソ//＠フォルダ/./x.csv"));
  EXPECT_TRUE(fs::is_directory(temp.Path() / fs::path(u8"表ソ") / fs::path(u8"＠フォルダ")));
  CreatePathFolders(temp / "p/../q/x.csv");
  EXPECT_TRUE(fs::is_directory(temp.Path() / "q"));
}

TEST(CreatePathFolders, ExistingFoldersAreKeptAndTheirContentsUntouched) {
  TempFolder temp;
  fs::create_directories(temp.Path() / "a");
  { std::ofstream(temp / "a/keep.txt") << "x"; }
  CreatePathFolders(temp / "a/b/x.csv");
  EXPECT_TRUE(fs::exists(temp.Path() / "a/keep.txt"));
  EXPECT_TRUE(fs::is_directory(temp.Path() / "a/b"));
}

TEST(CreatePathFolders, FailuresArePassedOver) {
  TempFolder temp;
  // A file where a folder should be: nothing below it can be created.
  { std::ofstream(temp / "file") << "x"; }
  CreatePathFolders(temp / "file/sub/x.csv");
  EXPECT_TRUE(fs::is_regular_file(temp.Path() / "file"));
  EXPECT_FALSE(fs::exists(temp.Path() / "file/sub"));
#ifndef _WIN32
  // A folder without write permission (not for root, who may write anyway).
  if (::geteuid() != 0) {
    fs::create_directories(temp.Path() / "locked");
    fs::permissions(temp.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    CreatePathFolders(temp / "locked/a/b/x.csv");
    EXPECT_FALSE(fs::exists(temp.Path() / "locked/a"));
    fs::permissions(temp.Path() / "locked", fs::perms::owner_all);
  }
#endif
}

TEST(CreatePathFolders, TrailingSeparatorCreatesTheLastFolderToo) {
  TempFolder temp;
  CreatePathFolders(temp / "a/b/");
  EXPECT_TRUE(fs::is_directory(temp.Path() / "a/b"));
}

// Where a name is cut into folders: at every separator of the system (on
// Windows the backslash and the slash), below the drive, the server and share
// of a UNC name and the root folder.
std::vector<std::string> FoldersOf(const char8_t* path) {
  std::vector<std::string> folders;
  for (const fs::path& folder : PathFoldersOf(fs::path(path))) {
    const std::u8string text = folder.u8string();
    folders.emplace_back(text.begin(), text.end());
  }
  return folders;
}

TEST(PathFoldersOf, SeparatorsAndRootsOfTheSystem) {
  using Folders = std::vector<std::string>;
#ifdef _WIN32
  EXPECT_EQ(FoldersOf(u8"C:\\a\\b\\x.csv"), (Folders{"C:\\a", "C:\\a\\b"}));
  EXPECT_EQ(FoldersOf(u8"C:/a\\b/x.csv"), (Folders{"C:/a", "C:/a\\b"}));
  EXPECT_EQ(FoldersOf(u8"C:\\x.csv"), Folders{});
  EXPECT_EQ(FoldersOf(u8"C:x.csv"), Folders{});
  EXPECT_EQ(FoldersOf(u8"C:a\\x.csv"), Folders{"C:a"});
  EXPECT_EQ(FoldersOf(u8"\\\\server\\share\\a\\x.csv"), Folders{"\\\\server\\share\\a"});
  EXPECT_EQ(FoldersOf(u8"//server/share/x.csv"), Folders{});
  EXPECT_EQ(FoldersOf(u8"\\a\\\\b\\x.csv"), (Folders{"\\a", "\\a\\\\b"}));
  EXPECT_EQ(FoldersOf(u8"表\\ソ\\x.csv"), (Folders{"表", "表\\ソ"}));
#else
  EXPECT_EQ(FoldersOf(u8"/a/b/x.csv"), (Folders{"/a", "/a/b"}));
  EXPECT_EQ(FoldersOf(u8"C:\\a\\b/x.csv"), Folders{"C:\\a\\b"});  // a backslash is a byte of the name
  EXPECT_EQ(FoldersOf(u8"//a//b/x.csv"), (Folders{"//a", "//a//b"}));
  EXPECT_EQ(FoldersOf(u8"表/ソ/x.csv"), (Folders{"表", "表/ソ"}));
#endif
}

#ifdef _WIN32
TEST(CreatePathFolders, JapaneseFoldersWithTheDriveAndBackslashes) {
  TempFolder temp;
  const fs::path path = temp.Path() / fs::path(u8"表ソ\\抽出 先/x.csv");
  CreatePathFolders(path);
  EXPECT_TRUE(fs::is_directory(temp.Path() / fs::path(u8"表ソ") / fs::path(u8"抽出 先")));
  EXPECT_FALSE(fs::exists(path));
}
#endif

}  // namespace
}  // namespace sifta
