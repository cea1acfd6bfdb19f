// The file handles of the platform as the extract file uses them, on the
// system the tests run on (Linux, or Windows under Wine): the exclusive lock
// against a second open, writing through another handle while the lock is
// held, and moving the locked file into place (also while a reader has the
// older file open).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Files.h"
#include "scan/TempFolder.h"

namespace sifta {
namespace {

namespace fs = std::filesystem;
using platform::File;
using testing::TempFolder;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PlatformFiles, LockHeldAgainstEveryOtherOpenUntilClosed) {
  TempFolder temp;
  const fs::path path = temp.Path() / "x.csv.sifta-tmp";
  File first, second;
  ASSERT_FALSE(first.Open(path, File::Access::Update));
  ASSERT_FALSE(second.Open(path, File::Access::Update));
  EXPECT_EQ(first.TryLock(), File::Lock::Held);
  EXPECT_EQ(second.TryLock(), File::Lock::HeldElsewhere);
  EXPECT_EQ(first.Identity(), second.Identity());
  EXPECT_EQ(first.Identity(), platform::IdentityOf(path));
  EXPECT_EQ(first.Kind(), platform::FileKind::Regular);
  first.Close();
  EXPECT_EQ(second.TryLock(), File::Lock::Held);
}

TEST(PlatformFiles, LockedFileIsWrittenThroughAnotherHandleAndMovedIntoPlace) {
  TempFolder temp;
  const fs::path temporary = temp.Path() / "x.csv.sifta-tmp";
  const fs::path final = temp.Path() / "x.csv";
  { std::ofstream(final, std::ios::binary) << "older"; }
  File lock;
  ASSERT_FALSE(lock.Open(temporary, File::Access::Update));
  ASSERT_EQ(lock.TryLock(), File::Lock::Held);
  ASSERT_FALSE(lock.Truncate());
  File writer;
  ASSERT_FALSE(writer.Open(temporary, File::Access::Append));
  EXPECT_FALSE(writer.Write("a\r\n", 3));
  EXPECT_FALSE(writer.Write("b\r\n", 3));
  EXPECT_FALSE(writer.Close());
  {
    // A reader of the older file: Linux replaces the file under it; Windows
    // refuses to replace a file in use, and the older file stays whole.
    File reader;
    ASSERT_FALSE(reader.Open(final, File::Access::Read));
    const auto moved = platform::MoveIntoPlace(temporary, final);
#ifdef _WIN32
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->kind, platform::ErrorKind::AccessDenied) << moved->code;
    EXPECT_EQ(Contents(final), "older");
#else
    EXPECT_FALSE(moved);
#endif
  }
#ifdef _WIN32
  EXPECT_FALSE(platform::MoveIntoPlace(temporary, final));  // while the lock is held
#endif
  // The locked file is now the extract (by its index: Wine reports no
  // volume for a handle whose file has been renamed).
  ASSERT_TRUE(lock.Identity() && platform::IdentityOf(final));
  EXPECT_EQ(lock.Identity()->index, platform::IdentityOf(final)->index);
  lock.Close();
  EXPECT_EQ(Contents(final), "a\r\nb\r\n");
  EXPECT_FALSE(fs::exists(temporary));
}

TEST(PlatformFiles, KindsAndSameFileNames) {
  TempFolder temp;
  EXPECT_EQ(platform::KindOf(temp.Path()), platform::FileKind::Folder);
  EXPECT_EQ(platform::KindOf(temp.Path() / "missing.csv"), platform::FileKind::Missing);
  EXPECT_TRUE(platform::SameFileName("data.csv", "data.csv"));
  EXPECT_FALSE(platform::SameFileName("data.csv", "data2.csv"));
#ifdef _WIN32
  EXPECT_TRUE(platform::SameFileName("Data.CSV", "data.csv"));
  EXPECT_EQ(platform::KindOf(temp.Path() / "NUL"), platform::FileKind::Missing) << "no device by that name";
  File device;
  const auto refused = device.Open(temp.Path() / "nul.csv", File::Access::Create);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->kind, platform::ErrorKind::BadName);
#else
  EXPECT_FALSE(platform::SameFileName("Data.CSV", "data.csv"));
  EXPECT_EQ(platform::KindOf("/dev/null"), platform::FileKind::Other);
#endif
}

}  // namespace
}  // namespace sifta
