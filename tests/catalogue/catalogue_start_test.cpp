// The host bridge's side of the catalogue: where the host is installed, which language, building
// the menu file when it is missing and loading it into the mode names and the command list.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "config_test_util.h"
#include "creo_proxy.h"
#include "failing_file_calls.h"
#include "fake_kx_api.h"
#include "kx_addin.h"
#include "menu_file.h"

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

TEST_F(CatalogueStart, LoadPointAndLanguage) {
  // PRO_LANG (null: unset), the setting, and the language chosen.
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"French", "", "french"}, {"French", "English", "english"}, {nullptr, "German", "german"}};
  for (const auto& [proLang, setting, expected] : rows) {
    kxtest::setEnv("PRO_LANG", proLang);
    sAddinP->mSettings.mMNULanguage = setting;
    std::string loadPoint = "stale", language = "stale";
    mProxy->getLoadpointAndLanguage(loadPoint, language);
    EXPECT_EQ(loadPoint, kxtest::wineZPath(KX_BUILD_DIR)) << "setting " << setting;
    EXPECT_EQ(language, expected) << "setting " << setting;
  }
}

TEST_F(CatalogueStart, FirstStartBuildsThenLoads) {
  sAddinP->mSettings.mMNULanguage = "german";
  const std::string path = mDir + "\\Creo.mnu";
  EXPECT_EQ(mProxy->mMnuProgress, -1.0);
  ASSERT_TRUE(mProxy->createMNUFile(path));
  EXPECT_EQ(mProxy->mMnuProgress, 0.999999);
  const std::string written = kxtest::readBinary(path);
  EXPECT_TRUE(written == kxtest::readBinary(kxtest::wineZPath(KX_BUILD_DIR) +
                                            "\\text\\expected\\Creo_german.mnu"));

  ASSERT_TRUE(mProxy->loadMenufile());
  EXPECT_EQ(mProxy->mMnuProgress, 1.0);
  const MenuFileLists expected = parseMenuFileText(written.data(), written.size());
  EXPECT_EQ(mProxy->mMenuCommands, expected.menuCommands);
  const std::pair<int, const char*> modes[] = {{0, "Sketcher"}, {5, "Assembly"}, {6, "Drawing"},
                                               {22, "Default"}, {23, "Default"}, {-1, "Default"}};
  for (const auto& [mode, name] : modes) {
    mProxy->mCurrentMode = mode;
    EXPECT_EQ(mProxy->getCurrentModeName(), name) << "mode " << mode;
  }
  // An existing file is taken as it is: no build.
  kxtest::writeBinary(path, "[Modes]\nOnly = 1\n \n[MenuBar]\n1A = {}Cmd|h\n ");
  EXPECT_TRUE(mProxy->createMNUFile(path));
  ASSERT_TRUE(mProxy->loadMenufile());
  EXPECT_EQ(mProxy->mMenuCommands, std::vector<std::string>{"Cmd"});
  mProxy->mCurrentMode = 0;
  EXPECT_EQ(mProxy->getCurrentModeName(), "Only");
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
