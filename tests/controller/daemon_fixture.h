// The fixture of the controller's process tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "ctrl_library.h"
#include "daemon_process.h"

// A test with the controller library bound and a daemon of its own, which it starts itself.
class DaemonTest : public ::testing::Test {
 protected:
  void SetUp() override { lib = &ctrlLibrary(); }
  void TearDown() override { lib->disconnect(); }
  void start(const std::vector<std::string>& args = {}) {
    ASSERT_TRUE(daemon.start(args)) << "kx_daemon.exe did not come up";
  }
  void connect() { ASSERT_EQ(lib->connect(0, "xtopCreo"), 0); }
  // The device's advanced settings as the library hands them out, the bytes after them untouched.
  void expectAdvanced(int32_t device, int32_t rotMode, unsigned char refit, size_t row) {
    unsigned char buffer[KX_ADVANCED_SETTINGS_SIZE + 16];
    std::memset(buffer, 0xCD, sizeof buffer);
    ASSERT_EQ(lib->getAdvancedSettings(device, buffer), 0) << "row " << row;
    int32_t rot;
    std::memcpy(&rot, buffer + KX_ADVANCED_ROT_MODE_OFFSET, sizeof rot);
    EXPECT_EQ(rot, rotMode) << "row " << row;
    EXPECT_EQ(buffer[KX_ADVANCED_REFIT_OFFSET], refit) << "row " << row;
    for (size_t b = KX_ADVANCED_SETTINGS_SIZE; b < sizeof buffer; ++b)
      ASSERT_EQ(buffer[b], 0xCD) << "row " << row << " byte " << b;
  }

  const CtrlLibrary* lib = nullptr;
  DaemonProcess daemon;
};
