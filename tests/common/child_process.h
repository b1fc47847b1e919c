// Programs the tests start: the emulated host, the simulated daemon.
#pragma once

#include <string>
#include <vector>

namespace kxtest {

struct ProcessRun {
  int exitCode = -1;
  std::string output;
  std::string errors;  // also why the program could not be started
};

// The program and its arguments as one command line, each quoted where it needs it.
std::string commandLine(const std::string& program, const std::vector<std::string>& args);
// Starts the command line with the test's own standard handles; the process handle, or null.
void* startProcess(const std::string& line);
// Runs it in the folder to its end, or stops it after the limit (exit code 99). Its output goes
// through files of that folder, fresh for every run: a process a run left behind may still hold
// the old ones, which a pipe would wait for.
ProcessRun runProcess(const std::string& line, const std::string& folder, int limitMs);

}  // namespace kxtest
