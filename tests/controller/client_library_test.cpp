// kvx_ctrlr_64.dll against a running kx_daemon.exe, bound by ordinal as the plug-in binds it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "daemon_fixture.h"
#include "wait_for.h"

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Ten reads with nothing to read: each fails, and a caller looping on the read is paced by the read
// itself (the limits are generous: this checks that it waits at all, not how fast it is).
void expectPacedReads(const CtrlLibrary* lib, const char* when) {
  CtrlLibrary::Event event;
  auto start = Clock::now();
  for (int i = 0; i < 10; ++i) EXPECT_NE(lib->readEvent(event), 0) << when << ", read " << i;
  long long elapsed = msSince(start);
  EXPECT_GE(elapsed, 10 * 10) << when << ": kxGetEvent returned at once";
  EXPECT_LT(elapsed, 10 * 5000) << when;
}

const char kTwoDevices[] =
    "[daemon]\n"
    "devices = 2\n"
    "[device 0]\n"
    "description = Test Cap Alpha\n"
    "rotation_mode = 3\n"
    "refit = 1\n"
    "[device 1]\n"
    "description = Test Cap Beta\n"
    "refit = 0\n";

class ClientLibrary : public DaemonTest {};

}  // namespace

TEST_F(ClientLibrary, ExportsAreFoundByOrdinalAndNotByName) {
  HMODULE m = static_cast<HMODULE>(lib->module);
  struct Row {
    const char* name;
    int ordinal;
  } rows[] = {
      {"kxConnect", 104},        {"kxDisconnect", 106},
      {"kxGetEvent", 108},       {"kxGetAdvancedSettings", 110},
      {"kxGetParameter", 114},   {"kxGetDevInfo", 116},
      {"kxGetDevNum", 117},      {"kxSetParameter", 164},
      {"kxSetDllLogFlags", 167}, {"kxSetApplMode", 180},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    EXPECT_NE(GetProcAddress(m, MAKEINTRESOURCEA(rows[i].ordinal)), nullptr) << "row " << i;
    EXPECT_EQ(GetProcAddress(m, rows[i].name), nullptr) << "row " << i << ": " << rows[i].name;
  }
}

TEST_F(ClientLibrary, WithoutDaemonEveryCallFailsAndReadsDoNotSpin) {
  EXPECT_NE(lib->connect(0, "xtopCreo"), 0);
  int32_t count = -5, value = -5;
  EXPECT_NE(lib->devNum(count), 0);
  EXPECT_NE(lib->getParameter(KX_PARAM_LEGACY_COM1, &value), 0);
  EXPECT_NE(lib->setApplMode("Creo", "Part"), 0);
  expectPacedReads(lib, "without a daemon");
}

// The plug-in switches the library's own log off; these are the settings the library refuses.
TEST_F(ClientLibrary, DllLogSettingsAreChecked) {
  struct Row {
    const char* file;
    int32_t maxSize, toFile, toConsole, trace;
    bool accepted;
  } rows[] = {
      {nullptr, 500, 1, 0, 1, false},
      {"", 500, 1, 0, 1, false},
      {"x.txt", -1, 0, 0, 0, false},
      {"Creo_plugin_dll_log.txt", 500, 0, 0, 0, true},
  };
  start();
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const Row& r = rows[i];
    int32_t rc = lib->setDllLogFlags(r.file, r.maxSize, r.toFile, r.toConsole, 1, 1, r.trace, 1, 1,
                                     1, 1, 1, "");
    EXPECT_EQ(rc == 0, r.accepted) << "row " << i;
  }
}

TEST_F(ClientLibrary, DeviceRecordsAndParameters) {
  std::string cfg = DaemonProcess::writeTemp("two.cfg", kTwoDevices);
  start({"--config", cfg});
  connect();
  int32_t count = -1, u1 = -1, u2 = -1;
  ASSERT_EQ(lib->getDevNum(&count, &u1, &u2), 0);
  EXPECT_EQ(count, 2);

  struct InfoRow {
    int32_t index;
    bool ok;
    const char* description;
  } infoRows[] = {
      {0, true, "Test Cap Alpha"}, {1, true, "Test Cap Beta"}, {2, false, ""}, {-1, false, ""}};
  for (size_t i = 0; i < sizeof infoRows / sizeof infoRows[0]; ++i) {
    // Bytes beyond the 96 of the record must stay untouched.
    unsigned char buffer[KX_DEV_INFO_SIZE + 16];
    std::memset(buffer, 0xAB, sizeof buffer);
    int32_t rc = lib->getDevInfo(infoRows[i].index, buffer);
    EXPECT_EQ(rc == 0, infoRows[i].ok) << "row " << i;
    for (size_t b = KX_DEV_INFO_SIZE; b < sizeof buffer; ++b)
      ASSERT_EQ(buffer[b], 0xAB) << "row " << i << " byte " << b;
    if (!infoRows[i].ok) continue;
    const char* text = reinterpret_cast<const char*>(buffer + KX_DEV_INFO_DESCRIPTION_OFFSET);
    EXPECT_LT(strnlen(text, KX_DEV_INFO_SIZE - KX_DEV_INFO_DESCRIPTION_OFFSET),
              size_t(KX_DEV_INFO_SIZE - KX_DEV_INFO_DESCRIPTION_OFFSET))
        << "row " << i << ": not terminated inside the record";
    EXPECT_STREQ(text, infoRows[i].description) << "row " << i;
  }

  // Device 0 as the configuration has it, device 1 with the defaults.
  expectAdvanced(0, 3, 1, 0);
  expectAdvanced(1, 0, 0, 1);

  // LegacyCOM1 takes 0 and 1 (the scenarios switch it); anything else is refused, changing nothing.
  int32_t value = 5;
  EXPECT_NE(lib->setParameter(KX_PARAM_LEGACY_COM1, &value), 0);
  EXPECT_NE(lib->getParameter(11, &value), 0);
  EXPECT_NE(lib->setParameter(13, &value), 0);
  ASSERT_EQ(lib->getParameter(KX_PARAM_LEGACY_COM1, &value), 0);
  EXPECT_EQ(value, 1);
  // Null pointers are refused, not dereferenced.
  EXPECT_NE(lib->getParameter(12, nullptr), 0);
  EXPECT_NE(lib->setParameter(12, nullptr), 0);
  EXPECT_NE(lib->getDevInfo(0, nullptr), 0);
  EXPECT_NE(lib->getAdvancedSettings(0, nullptr), 0);
  EXPECT_NE(lib->getDevNum(nullptr, &u1, &u2), 0);
  EXPECT_NE(lib->setApplMode(nullptr, "Part"), 0);
  EXPECT_NE(lib->connect(0, nullptr), 0);
}

TEST_F(ClientLibrary, ReadWaitsBoundedAndDisconnectWakesIt) {
  start();
  connect();
  expectPacedReads(lib, "connected, with no event");

  // With a long wait configured, only kxDisconnect can end the read early.
  SetEnvironmentVariableA("KX_EVENT_WAIT_MS", "20000");
  std::atomic<bool> returned{false};
  std::atomic<int32_t> result{0};
  std::thread reader([&] {
    CtrlLibrary::Event e;
    result = lib->readEvent(e);
    returned = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(returned) << "the read did not wait";
  auto disconnectAt = Clock::now();
  EXPECT_EQ(lib->disconnect(), 0);
  bool woke = waitFor([&] { return returned.load(); }, 10000);
  long long wakeMs = msSince(disconnectAt);
  reader.join();
  SetEnvironmentVariableA("KX_EVENT_WAIT_MS", nullptr);
  EXPECT_TRUE(woke);
  EXPECT_LT(wakeMs, 10000) << "the read ran into its own limit instead of being woken";
  EXPECT_NE(result.load(), 0);
  EXPECT_EQ(daemon.journalCount({"\"ev\":\"unregister\"", "\"app\":\"xtopCreo\""}), 1u);
}
