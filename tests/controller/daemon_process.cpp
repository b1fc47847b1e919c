#include "daemon_process.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "child_process.h"
#include "environment.h"
#include "test_folder.h"
#include "wait_for.h"

namespace {

// Three ports per test process, from the process id: ctest runs each case in a process of its own.
uint16_t basePort() {
  static const uint16_t base = static_cast<uint16_t>(20000 + (GetCurrentProcessId() % 4000) * 4);
  return base;
}

std::string daemonLine(const std::vector<std::string>& args) {
  return kxtest::commandLine(DaemonProcess::binDir() + "kx_daemon.exe", args);
}

void setPortEnvironment() {
  kxtest::setEnv("KX_DAEMON_PORT", std::to_string(DaemonProcess::clientPort()).c_str());
  kxtest::setEnv("KX_DAEMON_CTRL_PORT", std::to_string(DaemonProcess::controlPort()).c_str());
  kxtest::setEnv("KX_HOST_NAV_PORT", std::to_string(DaemonProcess::navPort()).c_str());
}

const std::string& folder() {
  static const std::string sFolder = kxtest::makeTempDir("kxctl");
  return sFolder;
}

}  // namespace

uint16_t DaemonProcess::clientPort() { return basePort(); }
uint16_t DaemonProcess::controlPort() { return basePort() + 1; }
uint16_t DaemonProcess::navPort() { return basePort() + 2; }

std::string DaemonProcess::binDir() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

std::string DaemonProcess::tempPath(const std::string& name) { return folder() + "\\" + name; }

std::string DaemonProcess::writeTemp(const std::string& name, const std::string& text) {
  std::string path = tempPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

DaemonProcess::DaemonProcess() {
  setPortEnvironment();
  mJournalPath = tempPath("journal.jsonl");
}

DaemonProcess::~DaemonProcess() { kill(); }

bool DaemonProcess::start(const std::vector<std::string>& args) {
  kill();
  std::vector<std::string> all = args;
  all.push_back("--journal");
  all.push_back(mJournalPath);
  mProcess = kxtest::startProcess(daemonLine(all));
  if (!mProcess) return false;
  // The first start in a fresh prefix is slow; give it long.
  return waitFor(
             [&] {
               if (!isRunning()) return true;
               if (!mControl.isOpen() && !mControl.connectTcp(controlPort(), 200)) return false;
               if (control("ping") == "ok") return true;
               mControl.close();
               return false;
             },
             60000) &&
         isRunning();
}

bool DaemonProcess::isRunning() const {
  return mProcess && WaitForSingleObject(static_cast<HANDLE>(mProcess), 0) == WAIT_TIMEOUT;
}

void DaemonProcess::kill() {
  mControl.close();
  if (!mProcess) return;
  TerminateProcess(static_cast<HANDLE>(mProcess), 9);
  WaitForSingleObject(static_cast<HANDLE>(mProcess), 10000);
  CloseHandle(static_cast<HANDLE>(mProcess));
  mProcess = nullptr;
}

std::string DaemonProcess::control(const std::string& line) {
  if (!mControl.isOpen() && !mControl.connectTcp(controlPort(), 2000)) return std::string();
  if (!mControl.sendAll(line + "\n")) return std::string();
  std::string reply;
  return mControl.readLine(reply, 10000) == 1 ? reply : std::string();
}

int DaemonProcess::runToEnd(const std::vector<std::string>& args, std::string& output) {
  setPortEnvironment();
  const kxtest::ProcessRun run = kxtest::runProcess(daemonLine(args), folder(), 30000);
  output = run.output + run.errors;
  return run.exitCode;
}

std::string DaemonProcess::journal() const {
  // Opened with sharing, as the daemon keeps writing.
  HANDLE h = CreateFileA(mJournalPath.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char buffer[4096];
  DWORD n;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(h);
  return text;
}

size_t DaemonProcess::journalCount(const std::vector<std::string>& fragments) const {
  size_t found = 0;
  std::istringstream in(journal());
  for (std::string line; std::getline(in, line);) {
    bool all = true;
    for (const std::string& f : fragments) all = all && line.find(f) != std::string::npos;
    found += all;
  }
  return found;
}
