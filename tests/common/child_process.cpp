#include "child_process.h"

#include <windows.h>

#include "test_folder.h"

namespace kxtest {

namespace {

HANDLE outputFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  return CreateFileA(path.c_str(), GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Wine's process creation now and then fails with ERROR_INTERNAL_ERROR on a loaded machine; that
// says nothing about the program, so it is tried again.
bool create(std::string line, const char* folder, STARTUPINFOA* si, PROCESS_INFORMATION* pi,
            DWORD* error) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) Sleep(500);
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, si->dwFlags != 0, 0, nullptr, folder,
                       si, pi))
      return true;
    *error = GetLastError();
    if (*error != ERROR_INTERNAL_ERROR) break;
  }
  return false;
}

}  // namespace

std::string commandLine(const std::string& program, const std::vector<std::string>& args) {
  std::string line = "\"" + program + "\"";
  for (const std::string& arg : args) {
    line += " \"";
    for (char c : arg) line += c == '"' ? std::string("\\\"") : std::string(1, c);
    line += "\"";
  }
  return line;
}

void* startProcess(const std::string& line) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  DWORD error = 0;
  if (!create(line, nullptr, &si, &pi, &error)) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

ProcessRun runProcess(const std::string& line, const std::string& folder, int limitMs) {
  static int sRun = 0;
  const std::string n = std::to_string(++sRun);
  const std::string outPath = folder + "\\stdout" + n + ".txt";
  const std::string errPath = folder + "\\stderr" + n + ".txt";
  ProcessRun run;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = outputFile(outPath);
  si.hStdError = outputFile(errPath);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  DWORD error = 0;
  if (create(line, folder.c_str(), &si, &pi, &error)) {
    if (WaitForSingleObject(pi.hProcess, limitMs) == WAIT_TIMEOUT) {
      TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    run.exitCode = static_cast<int>(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  } else {
    run.errors = "cannot start " + line + ": error " + std::to_string(error) + "\n";
  }
  CloseHandle(si.hStdOutput);
  CloseHandle(si.hStdError);
  run.output = readBinary(outPath);
  run.errors += readBinary(errPath);
  return run;
}

}  // namespace kxtest
