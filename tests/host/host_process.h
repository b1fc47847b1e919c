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
  std::vector<std::map<std::string, std::string>> events;
  std::string folder;
  std::string journalPath;

  // Index of the first event at or after `from` with all the given fields, or -1.
  int find(const std::map<std::string, std::string>& fields, int from = 0) const;
  int count(const std::map<std::string, std::string>& fields) const;
  // Index of the first note whose text starts with the prefix, or -1; its text in *text.
  int note(const std::string& prefix, std::string* text = nullptr) const;
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

 private:
  std::string mFolder;
};

#endif
