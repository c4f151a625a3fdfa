// The program's shared data found relative to the program: an installed tree under any
// prefix, a build folder, the source tree.
#include "app/core/DataFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/acquisition/RunLoopTestSupport.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;

class DataFilesTest : public ::testing::Test {
 protected:
  // Makes an empty file (and its folders) under the scratch folder; returns its path.
  std::string Make(const std::string& relative) {
    const fs::path path = fs::path(scratch_.Path()) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
    return fs::canonical(path).string();
  }
  std::string Dir(const std::string& relative) {
    const fs::path path = fs::path(scratch_.Path()) / relative;
    fs::create_directories(path);
    return path.string();
  }
  test::TScratchFolder scratch_;
};

TEST_F(DataFilesTest, InstalledTreeUnderAnyPrefixIsFoundFromTheProgramFolder) {
  const std::string bin = Dir("opt/somewhere/bin");
  const std::string guide = Make("opt/somewhere/share/orvanix/docs/guide/getting-started.md");
  const std::string demo = Make("opt/somewhere/share/orvanix/demo/orvanix-demo.wav");
  EXPECT_EQ(FindDataFile("docs/guide/getting-started.md", bin), guide);
  EXPECT_EQ(FindDataFile(kDemoRecording, bin), demo);
  // A program folder given with a trailing slash or a "." in it finds the same.
  EXPECT_EQ(FindDataFile(kDemoRecording, bin + "/./"), demo);
}

TEST_F(DataFilesTest, BuildFolderIsFoundAndAnInstalledCopyComesFirst) {
  const std::string app = Dir("build/app");
  const std::string built = Make("build/demo/orvanix-demo.wav");
  EXPECT_EQ(FindDataFile(kDemoRecording, app), built);
  const std::string installed = Make("build/share/orvanix/demo/orvanix-demo.wav");
  EXPECT_EQ(FindDataFile(kDemoRecording, app), installed);
}

TEST_F(DataFilesTest, TheInstalledWindowProgramFindsTheInstalledData) {
  const std::string libexec = Dir("usr/libexec/orvanix");
  const std::string demo = Make("usr/share/orvanix/demo/orvanix-demo.wav");
  EXPECT_EQ(FindDataFile(kDemoRecording, libexec), demo);
}

TEST_F(DataFilesTest, SourceTreeIsTheLastPlace) {
  // A program folder with nothing around it still finds the guide of the tree it was built
  // from (a program run from its build folder opens the guide from the sources).
  const std::string lonely = Dir("lonely/bin");
  const fs::path source = fs::path(ORVANIX_SOURCE_DIR) / "docs/guide/getting-started.md";
  ASSERT_TRUE(fs::exists(source));
  EXPECT_EQ(FindDataFile("docs/guide/getting-started.md", lonely), fs::canonical(source).string());
  const std::vector<std::string> roots = DataRoots(lonely);
  ASSERT_EQ(roots.size(), 4u);
  EXPECT_EQ(fs::path(roots.back()), fs::canonical(ORVANIX_SOURCE_DIR));
}

TEST_F(DataFilesTest, MissingFoldersAndNamesLeavingTheDataAreNotFound) {
  const std::string bin = Dir("usr/bin");
  Make("usr/share/orvanix/docs/guide/getting-started.md");
  EXPECT_EQ(FindDataFile("demo/no-such-recording.wav", bin), "");
  // A folder is not a file.
  EXPECT_EQ(FindDataFile("docs/guide", bin), "");
  // Only the data folders: nothing above them, however the name is spelt.
  Make("usr/share/secret.txt");
  EXPECT_EQ(FindDataFile("../secret.txt", bin), "");
  EXPECT_EQ(FindDataFile("docs/../../secret.txt", bin), "");
  EXPECT_EQ(FindDataFile(scratch_.File("usr/share/secret.txt"), bin), "");
  EXPECT_EQ(FindDataFile("", bin), "");
}

}  // namespace
}  // namespace orvanix
