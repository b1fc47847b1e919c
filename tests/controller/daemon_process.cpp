#include "daemon_process.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "wait_for.h"

namespace {

// Three ports per test process, from the process id: ctest runs each case in a process of its own.
uint16_t basePort() {
  static const uint16_t base = static_cast<uint16_t>(20000 + (GetCurrentProcessId() % 4000) * 4);
  return base;
}

std::string quoteArg(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  for (char c : arg) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string commandLine(const std::vector<std::string>& args) {
  std::string line = quoteArg(DaemonProcess::binDir() + "kx_daemon.exe");
  for (const std::string& a : args) line += " " + quoteArg(a);
  return line;
}

void setPortEnvironment() {
  SetEnvironmentVariableA("KX_DAEMON_PORT", std::to_string(DaemonProcess::clientPort()).c_str());
  SetEnvironmentVariableA("KX_DAEMON_CTRL_PORT",
                          std::to_string(DaemonProcess::controlPort()).c_str());
  SetEnvironmentVariableA("KX_HOST_NAV_PORT", std::to_string(DaemonProcess::navPort()).c_str());
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

std::string DaemonProcess::tempPath(const std::string& name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "kxctl_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

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
  std::string line = commandLine(all);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  mProcess = pi.hProcess;
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
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string line = commandLine(args);
  BOOL ok =
      CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (!ok) {
    CloseHandle(readEnd);
    return -1;
  }
  output.clear();
  char buffer[512];
  DWORD n;
  while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) output.append(buffer, n);
  CloseHandle(readEnd);
  DWORD code = 0;
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 9);
    code = static_cast<DWORD>(-1);
  } else {
    GetExitCodeProcess(pi.hProcess, &code);
  }
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
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
