// The host bridge's side of the catalogue after a failed build. An existing file, its commands and
// the modes named by their place in it are the scenarios' (host modes and windows, the macro
// route's buttons); the build and its languages are the first-start scenarios'.
#include <gtest/gtest.h>

#include <string>

#include "config_test_util.h"
#include "creo_proxy.h"
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
