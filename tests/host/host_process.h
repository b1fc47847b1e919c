// Runs creo_host.exe the way a user or the demo does: with a registry file, a scenario and a
// journal in a fresh folder, and gives back the exit code, the error output and the journal.
#ifndef KX_TESTS_HOST_HOST_PROCESS_H
#define KX_TESTS_HOST_HOST_PROCESS_H

#include <map>
#include <string>
#include <vector>

struct HostRun {
  int exitCode = -1;
  std::string errors;  // the host's standard error
  std::string output;  // the host's standard output
  std::vector<std::string> lines;
  std::string journalPath;

  // Conditions are written as in scenarios: `ev=command "arg=Hidden line" undo_depth>1`.
  // Index of the first line at or after `from` that matches, or -1.
  int find(const std::string& condition, int from = 0) const;
  int count(const std::string& condition) const;
  // A field of the line at `index` ("" when absent).
  std::string field(int index, const std::string& key) const;
};

class HostProcess {
 public:
  // A fresh folder named after the test in the temporary directory.
  explicit HostProcess(const std::string& name);
  const std::string& folder() const { return mFolder; }
  std::string write(const std::string& fileName, const std::string& content) const;
  std::string binDir() const;
  // A registry file that loads the test plug-in with text_dir set to this folder.
  std::string registryForTestPlugin() const;
  // Runs the host with these arguments plus --journal; KXH_CASE set to `testCase`.
  HostRun run(const std::vector<std::string>& args, const std::string& testCase = "");
  // The same with the test plug-in and this scenario.
  HostRun runScenario(const std::string& scenario, const std::string& testCase = "");

 private:
  std::string mFolder;
};

#endif
