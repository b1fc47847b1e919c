// Every core test runs with a user profile of its own: the plug-in reads and rewrites the settings
// file under the profile, and a test must never touch the settings of a real installation. The
// environment is set before any plug-in code runs (the DLL's runtime copies it when it is loaded).
#include "test_profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "environment.h"
#include "test_folder.h"

namespace {

std::string sProfile;

class TestProfile : public ::testing::Environment {
 public:
  void SetUp() override {
    sProfile = kxtest::makeTempDir("core_profile");
    std::filesystem::create_directories(sProfile + "\\Korvexpad\\Applications");
    for (const char* name : {"USERPROFILE", "HOME"}) kxtest::setEnv(name, sProfile.c_str());
  }
  void TearDown() override { kxtest::removeTree(sProfile); }
};

const ::testing::Environment* const sEnvironment =
    ::testing::AddGlobalTestEnvironment(new TestProfile);

}  // namespace

std::string testProfile() { return sProfile; }
