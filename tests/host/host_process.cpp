#include "host_process.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "child_process.h"
#include "environment.h"
#include "json_line.h"
#include "scenarios/journal_condition.h"
#include "scenarios/scenario.h"
#include "test_folder.h"

namespace {

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

HostProcess::HostProcess(const std::string& name) : mFolder(kxtest::makeTempDir("kxh_" + name)) {}

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
  std::vector<std::string> all = args;
  all.insert(all.end(), {"--journal", r.journalPath, "--max-ms", "120000"});
  kxtest::setEnv("KXH_CASE", testCase.c_str());
  // Generous: a first Wine start in a fresh prefix is slow.
  const kxtest::ProcessRun run =
      kxtest::runProcess(kxtest::commandLine(binDir() + "\\creo_host.exe", all), mFolder, 180000);
  kxtest::setEnv("KXH_CASE", nullptr);
  r.exitCode = run.exitCode;
  r.errors = run.errors;
  r.output = run.output;
  std::istringstream in(kxtest::readBinary(r.journalPath));
  for (std::string l; std::getline(in, l);) r.lines.push_back(l);
  return r;
}
