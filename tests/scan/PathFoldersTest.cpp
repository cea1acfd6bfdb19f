#include "scan/PathFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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
  CreatePathFolders(temp / "表ソ//＠フォルダ/./x.csv");
  EXPECT_TRUE(fs::is_directory(temp.Path() / "表ソ" / "＠フォルダ"));
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
  // A folder without write permission (not for root, who may write anyway).
  if (::geteuid() != 0) {
    fs::create_directories(temp.Path() / "locked");
    fs::permissions(temp.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    CreatePathFolders(temp / "locked/a/b/x.csv");
    EXPECT_FALSE(fs::exists(temp.Path() / "locked/a"));
    fs::permissions(temp.Path() / "locked", fs::perms::owner_all);
  }
}

TEST(CreatePathFolders, TrailingSeparatorCreatesTheLastFolderToo) {
  TempFolder temp;
  CreatePathFolders(temp / "a/b/");
  EXPECT_TRUE(fs::is_directory(temp.Path() / "a/b"));
}

}  // namespace
}  // namespace sifta
