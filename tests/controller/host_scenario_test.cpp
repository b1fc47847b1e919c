// The simulated controller with the emulated host: the host's own navigation fed by the daemon's
// legacy output, and the plug-in's link surviving a killed daemon. Skipped when those are not
// built.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "daemon_process.h"

namespace {

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

int runHost(const std::string& folder, const std::vector<std::string>& args) {
  std::string cmd = "\"" + DaemonProcess::binDir() + "creo_host.exe\"";
  for (const std::string& a : args) cmd += " \"" + a + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                      &pi))
    return -1;
  DWORD code = static_cast<DWORD>(-2);
  if (WaitForSingleObject(pi.hProcess, 240000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  else
    TerminateProcess(pi.hProcess, 9);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
}

const char kScenario[] =
    "daemon-start\n"
    "open part p1\n"
    "daemon motion 0 0 0 100 50 0 800\n"
    "wait-until host within 10000 ev=nav source=udp applied=true\n"
    "wait 1500\n"
    "daemon param 0 12 0\n"
    "daemon motion 0 0 0 100 50 0 800\n"
    "wait-until daemon within 10000 ev=cap\n"
    "wait 1500\n"
    "daemon param 0 12 1\n"
    "daemon motion 0 0 0 -100 0 0 800\n"
    "wait-until host within 10000 ev=nav source=udp rx=-100\n"
    "wait 1500\n"
    "daemon quit\n";

}  // namespace

TEST(HostLegacyOutput, TheHostNavigatesFromTheDaemonOnlyWhileLegacyCom1IsOn) {
  if (GetFileAttributesA((DaemonProcess::binDir() + "creo_host.exe").c_str()) ==
      INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "creo_host.exe is not built";
  DaemonProcess ports;  // sets the port variables the host, the daemon and the runner inherit
  std::string folder = DaemonProcess::tempPath("host");
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string scenario = folder + "\\legacy.scn";
  std::ofstream(scenario, std::ios::binary) << kScenario;
  std::string journal = folder + "\\host.jsonl";
  DeleteFileA(journal.c_str());
  int code = runHost(folder, {"--scenario", scenario, "--journal", journal, "--max-ms", "120000"});
  std::vector<std::string> host = readLines(journal);
  ASSERT_FALSE(host.empty()) << "no host journal";
  EXPECT_EQ(code, 0) << "the scenario failed; last line: " << host.back();

  // Phases of the host journal, cut at the two LegacyCOM1 switches.
  int phase = 0;
  int navs[3] = {0, 0, 0};
  for (const std::string& line : host) {
    if (line.find("\"daemon_command\"") != std::string::npos &&
        line.find("\"command\":\"param 0 12 ") != std::string::npos)
      ++phase;
    if (phase < 3 && line.find("\"ev\":\"nav\"") != std::string::npos &&
        line.find("\"source\":\"udp\"") != std::string::npos)
      ++navs[phase];
  }
  ASSERT_EQ(phase, 2) << "the scenario did not switch LegacyCOM1 twice";
  struct Row {
    const char* what;
    bool hostNavigates;
  } rows[] = {{"LegacyCOM1 on", true}, {"LegacyCOM1 off", false}, {"LegacyCOM1 on again", true}};
  for (int i = 0; i < 3; ++i) {
    if (rows[i].hostNavigates)
      EXPECT_GT(navs[i], 0) << "row " << i << ": " << rows[i].what;
    else
      EXPECT_EQ(navs[i], 0) << "row " << i << ": " << rows[i].what;
  }

  std::vector<std::string> daemon = readLines(folder + "\\host-daemon.jsonl");
  int off = 0, on = 0;
  for (const std::string& line : daemon) {
    if (line.find("\"ev\":\"legacy\"") == std::string::npos) continue;
    off += line.find("\"state\":\"off\"") != std::string::npos;
    on += line.find("\"state\":\"on\"") != std::string::npos;
  }
  EXPECT_EQ(off, 1);
  EXPECT_EQ(on, 1);
}

TEST(HostScenario, ThePluginRegistersAgainAfterTheDaemonIsKilled) {
  const std::string bin = DaemonProcess::binDir();
  for (const char* file : {"creo_host.exe", "KorvexCreo.dll", "controller_restart.scn"})
    if (GetFileAttributesA((bin + file).c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << file << " is not built";
  DaemonProcess ports;
  std::string folder = DaemonProcess::tempPath("restart");
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string registry = folder + "\\protk.dat";
  std::ofstream(registry, std::ios::binary)
      << "name KorvexCreo\nstartup dll\nexec_file " << bin << "KorvexCreo.dll\ntext_dir " << folder
      << "\nallow_stop TRUE\nend\n";
  std::string journal = folder + "\\host.jsonl";
  DeleteFileA(journal.c_str());
  int code = runHost(folder, {"--registry", registry, "--scenario", bin + "controller_restart.scn",
                              "--journal", journal, "--max-ms", "120000"});
  std::vector<std::string> host = readLines(journal);
  ASSERT_FALSE(host.empty()) << "no host journal";
  std::string failures;
  for (const std::string& line : host)
    if (line.find("\"expect_failed\"") != std::string::npos) failures += line + "\n";
  EXPECT_EQ(code, 0) << failures;
  // The daemon's journal is that of the second daemon: one registration, one press delivered.
  std::vector<std::string> daemon = readLines(folder + "\\host-daemon.jsonl");
  int registrations = 0, presses = 0;
  for (const std::string& line : daemon) {
    registrations += line.find("\"ev\":\"register\"") != std::string::npos;
    presses += line.find("\"ev\":\"event\"") != std::string::npos &&
               line.find("\"code\":131081") != std::string::npos;
  }
  EXPECT_GE(registrations, 1);
  EXPECT_EQ(presses, 1);
}
