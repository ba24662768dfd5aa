#include "app/shell/clear_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_dir.h"

namespace meridox::app {
namespace {

void Touch(const std::filesystem::path& file) {
  std::ofstream(file) << "x";
}

TEST(ClearFolderTest, DeletesEveryFileBelowAndKeepsTheFolders) {
  testing::TempDir dir;
  const auto root = dir.path() / "watch";
  std::filesystem::create_directories(root / "Answer" / "260101");
  Touch(root / "a.txt");
  Touch(root / "b.Ans");
  Touch(root / "noext");
  Touch(root / "Answer" / "260101" / "a_120000.Ans");
  Touch(dir.path() / "outside.txt");

  EXPECT_TRUE(ClearFolder(root));

  EXPECT_TRUE(std::filesystem::is_directory(root / "Answer" / "260101"));
  EXPECT_TRUE(std::filesystem::is_empty(root / "Answer" / "260101"));
  EXPECT_FALSE(std::filesystem::exists(root / "a.txt"));
  EXPECT_FALSE(std::filesystem::exists(root / "b.Ans"));
  EXPECT_FALSE(std::filesystem::exists(root / "noext"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "outside.txt"));
}

TEST(ClearFolderTest, MissingFolderIsNothingToDo) {
  testing::TempDir dir;
  EXPECT_TRUE(ClearFolder(dir.path() / "absent"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "absent"));
}

}  // namespace
}  // namespace meridox::app
