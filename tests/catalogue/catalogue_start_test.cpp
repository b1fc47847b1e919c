// The host bridge's side of the catalogue: loading the menu file into the mode names and the
// command list, and a failed build.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "config_test_util.h"
#include "creo_proxy.h"
#include "failing_file_calls.h"
#include "fake_kx_api.h"
#include "kx_addin.h"

namespace {

class CatalogueStart : public ::testing::Test {
 protected:
  void SetUp() override {
    mDir = kxtest::makeTempDir("catalogue_start");
    kxtest::getEnv("PRO_LANG", mOldProLang);
    FakeKxApi::install();
    ASSERT_EQ(kxAddinStart(), 0);
    mProxy = sAddinP->mCreoProxyP;
    sAddinP->mSettings.mApplDirPath = mDir;
  }
  void TearDown() override {
    if (mProxy) mProxy->mMnuProgress = 1.0;  // lets the reading thread go on to its end
    kxAddinStop();
    kxtest::setEnv("PRO_LANG", mOldProLang.empty() ? nullptr : mOldProLang.c_str());
    kxtest::removeTree(mDir);
  }

  std::string mDir;
  std::string mOldProLang;
  CreoProxy* mProxy = nullptr;
};

// The build itself and its languages are the first-start scenarios'; an existing file is taken as
// it is, and the host's modes are named by their place in it.
TEST_F(CatalogueStart, AnExistingFileIsLoadedAsItIs) {
  const std::string path = mDir + "\\Creo.mnu";
  kxtest::writeBinary(path, "[Modes]\nSketcher = 1\nOnly = 2\n \n[MenuBar]\n1A = {}Cmd|h\n ");
  EXPECT_TRUE(mProxy->createMNUFile(path));
  ASSERT_TRUE(mProxy->loadMenufile());
  EXPECT_EQ(mProxy->mMnuProgress, 1.0);
  EXPECT_EQ(mProxy->mMenuCommands, std::vector<std::string>{"Cmd"});
  const std::pair<int, const char*> modes[] = {
      {0, "Sketcher"}, {1, "Only"}, {2, "Default"}, {-1, "Default"}};
  for (const auto& [mode, name] : modes) {
    mProxy->mCurrentMode = mode;
    EXPECT_EQ(mProxy->getCurrentModeName(), name) << "mode " << mode;
  }
}

// A first start whose write failed leaves no file, so the next start builds it again.
TEST_F(CatalogueStart, AFailedWriteIsBuiltAgainAtTheNextStart) {
  sAddinP->mSettings.mMNULanguage = "german";
  const std::string path = mDir + "\\Creo.mnu";
  {
    kxtest::FailingFileCalls failing("write", 100000);
    EXPECT_FALSE(mProxy->createMNUFile(path));
  }
  EXPECT_FALSE(kxtest::fileExists(path));
  EXPECT_FALSE(kxtest::fileExists(FileCommit::tempPath(path)));
  ASSERT_TRUE(mProxy->createMNUFile(path));
  EXPECT_TRUE(kxtest::readBinary(path) == kxtest::readBinary(kxtest::wineZPath(KX_BUILD_DIR) +
                                                             "\\text\\expected\\Creo_german.mnu"));
}

TEST_F(CatalogueStart, FailedBuildLeavesBothListsEmpty) {
  sAddinP->mSettings.mMNULanguage = "italian";
  EXPECT_FALSE(mProxy->loadMenufile());
  EXPECT_EQ(mProxy->mMnuProgress, 1.0);
  EXPECT_FALSE(kxtest::fileExists(mDir + "\\Creo.mnu"));
  EXPECT_TRUE(mProxy->mMenuCommands.empty());
  mProxy->mCurrentMode = 1;
  EXPECT_EQ(mProxy->getCurrentModeName(), "Default");
  // Once the step is over, a missing file is not built again in this run.
  sAddinP->mSettings.mMNULanguage = "german";
  EXPECT_FALSE(mProxy->loadMenufile());
  EXPECT_FALSE(kxtest::fileExists(mDir + "\\Creo.mnu"));
}

}  // namespace
