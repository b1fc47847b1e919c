// Every core test runs with a user profile of its own: the plug-in reads and rewrites the settings
// file under the profile, and a test must never touch the settings of a real installation. The
// environment is set before any plug-in code runs (the DLL's runtime copies it when it is loaded).
#include "test_profile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::string sProfile;

class TestProfile : public ::testing::Environment {
 public:
  void SetUp() override {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    ASSERT_GT(length, 0u);
    sProfile =
        std::string(temp, length) + "kx_core_profile_" + std::to_string(GetCurrentProcessId());
    std::filesystem::create_directories(sProfile + "\\Korvexpad\\Applications");
    for (const char* name : {"USERPROFILE", "HOME"}) {
      SetEnvironmentVariableA(name, sProfile.c_str());
      _putenv_s(name, sProfile.c_str());
    }
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(sProfile, ignored);
  }
};

const ::testing::Environment* const sEnvironment =
    ::testing::AddGlobalTestEnvironment(new TestProfile);

}  // namespace

std::string testProfile() { return sProfile; }
