// A scenario: one step per line, checked completely before anything runs.
#ifndef KX_EMULATED_HOST_SCENARIO_H
#define KX_EMULATED_HOST_SCENARIO_H

#include <string>
#include <vector>

#include "scenarios/journal_condition.h"

struct ScenarioStep {
  int line = 0;
  std::string verb;
  std::vector<std::string> args;
  std::string rest;  // everything after the verb, as written (for "daemon")
  // For wait-until and the expectations:
  bool daemonJournal = false;
  int limitMs = 0;
  int count = 0;
  JournalCondition condition;
};

class Scenario {
 public:
  bool load(const std::string& path, std::string* error);
  bool parse(const std::string& text, const std::string& fileName, std::string* error);
  const std::vector<ScenarioStep>& steps() const { return mSteps; }
  const std::string& fileName() const { return mFile; }

  // The verbs a scenario may use, sorted.
  static std::vector<std::string> knownVerbs();

  static bool tokenize(const std::string& line, std::vector<std::string>* out, std::string* error);

 private:
  bool parseStep(ScenarioStep* step, std::string* error);
  std::vector<ScenarioStep> mSteps;
  std::string mFile;
};

#endif
