#include "host_process.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include <stdexcept>

#include "json_line.h"
#include "scenarios/journal_condition.h"
#include "scenarios/scenario.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

JournalCondition parseCondition(const std::string& text) {
  std::vector<std::string> terms;
  std::string error;
  JournalCondition c;
  if (!Scenario::tokenize(text, &terms, &error) || !c.parse(terms, &error))
    throw std::invalid_argument("bad condition '" + text + "': " + error);
  return c;
}

}  // namespace

int HostRun::find(const std::string& condition, int from) const {
  if (from < 0 || from >= static_cast<int>(lines.size())) return -1;
  int i =
      parseCondition(condition).first(std::vector<std::string>(lines.begin() + from, lines.end()));
  return i < 0 ? -1 : from + i;
}

int HostRun::count(const std::string& condition) const {
  return parseCondition(condition).count(lines);
}

std::string HostRun::field(int index, const std::string& key) const {
  std::map<std::string, std::string> f;
  std::string error;
  if (index < 0 || index >= static_cast<int>(lines.size()) ||
      !JsonLine::parse(lines[index], &f, &error))
    return "";
  return f[key];
}

HostProcess::HostProcess(const std::string& name) {
  char tmp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, tmp);
  mFolder = std::string(tmp) + "kxh_" + name + "_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(mFolder.c_str(), nullptr);
}

std::string HostProcess::write(const std::string& fileName, const std::string& content) const {
  std::string path = mFolder + "\\" + fileName;
  std::ofstream out(path, std::ios::binary);
  out << content;
  return path;
}

std::string HostProcess::binDir() const {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p = path;
  return p.substr(0, p.find_last_of('\\'));
}

std::string HostProcess::registryForTestPlugin() const {
  return write("protk.dat", "name KxhTest\nstartup dll\nexec_file " + binDir() +
                                "\\kxh_test_plugin.dll\ntext_dir " + mFolder +
                                "\nallow_stop TRUE\nend\n");
}

HostRun HostProcess::runScenario(const std::string& scenario, const std::string& testCase) {
  return run({"--registry", registryForTestPlugin(), "--scenario", write("s.scn", scenario)},
             testCase);
}

HostRun HostProcess::run(const std::vector<std::string>& args, const std::string& testCase) {
  HostRun r;
  r.journalPath = mFolder + "\\journal.jsonl";
  DeleteFileA(r.journalPath.c_str());
  std::string cmd = "\"" + binDir() + "\\creo_host.exe\"";
  for (const std::string& a : args) cmd += " \"" + a + "\"";
  cmd += " --journal \"" + r.journalPath + "\" --max-ms 120000";
  SetEnvironmentVariableA("KXH_CASE", testCase.c_str());
  SECURITY_ATTRIBUTES sa = {};
  sa.nLength = sizeof sa;
  sa.bInheritHandle = TRUE;
  // Fresh files per run: a process the previous run left behind may still hold the old ones.
  static int sRun = 0;
  std::string n = std::to_string(++sRun);
  std::string errPath = mFolder + "\\stderr" + n + ".txt";
  std::string outPath = mFolder + "\\stdout" + n + ".txt";
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, share, &sa, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, share, &sa, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (err == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE)
    r.errors = "cannot create output files in " + mFolder + ": error " +
               std::to_string(GetLastError()) + "\n";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdError = err;
  si.hStdOutput = out;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back(0);
  // Wine's process creation now and then fails with ERROR_INTERNAL_ERROR on a loaded machine; that
  // says nothing about the host, so it is tried again.
  bool isStarted = false;
  DWORD startError = 0;
  for (int attempt = 0; attempt < 3 && !isStarted; ++attempt) {
    if (attempt > 0) Sleep(500);
    isStarted = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               mFolder.c_str(), &si, &pi) != 0;
    startError = isStarted ? 0 : GetLastError();
    if (startError != ERROR_INTERNAL_ERROR) break;
  }
  if (isStarted) {
    // Generous: a first Wine start in a fresh prefix is slow.
    if (WaitForSingleObject(pi.hProcess, 180000) == WAIT_TIMEOUT) {
      TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    r.exitCode = static_cast<int>(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  } else {
    r.errors = "cannot start creo_host.exe: error " + std::to_string(startError);
  }
  CloseHandle(err);
  CloseHandle(out);
  SetEnvironmentVariableA("KXH_CASE", nullptr);
  r.errors += readFile(errPath);
  r.output = readFile(outPath);
  std::istringstream in(readFile(r.journalPath));
  for (std::string l; std::getline(in, l);) r.lines.push_back(l);
  return r;
}
