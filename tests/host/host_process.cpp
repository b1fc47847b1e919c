#include "host_process.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "json_line.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool hasAll(const std::map<std::string, std::string>& e,
            const std::map<std::string, std::string>& fields) {
  for (auto& kv : fields) {
    auto it = e.find(kv.first);
    if (it == e.end() || it->second != kv.second) return false;
  }
  return true;
}

}  // namespace

int HostRun::find(const std::map<std::string, std::string>& fields, int from) const {
  for (size_t i = from < 0 ? 0 : from; i < events.size(); ++i)
    if (hasAll(events[i], fields)) return static_cast<int>(i);
  return -1;
}

int HostRun::count(const std::map<std::string, std::string>& fields) const {
  int n = 0;
  for (auto& e : events) n += hasAll(e, fields) ? 1 : 0;
  return n;
}

int HostRun::note(const std::string& prefix, std::string* text) const {
  for (size_t i = 0; i < events.size(); ++i) {
    auto ev = events[i].find("ev");
    auto t = events[i].find("text");
    if (ev != events[i].end() && ev->second == "note" && t != events[i].end() &&
        t->second.compare(0, prefix.size(), prefix) == 0) {
      if (text) *text = t->second;
      return static_cast<int>(i);
    }
  }
  return -1;
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

HostRun HostProcess::run(const std::vector<std::string>& args, const std::string& testCase) {
  HostRun r;
  r.folder = mFolder;
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
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, mFolder.c_str(), &si,
                     &pi)) {
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
    r.errors = "cannot start creo_host.exe: error " + std::to_string(GetLastError());
  }
  CloseHandle(err);
  CloseHandle(out);
  SetEnvironmentVariableA("KXH_CASE", nullptr);
  r.errors += readFile(errPath);
  r.output = readFile(outPath);
  std::istringstream in(readFile(r.journalPath));
  std::string l;
  while (std::getline(in, l)) {
    std::map<std::string, std::string> f;
    std::string why;
    if (JsonLine::parse(l, &f, &why)) r.events.push_back(f);
  }
  return r;
}
