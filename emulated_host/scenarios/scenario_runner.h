// Drives the host through a scenario on the user-interface thread, pumping the message loop
// between steps so the plug-in's timers, callbacks and queued macros run as they would for a user.
#ifndef KX_EMULATED_HOST_SCENARIO_RUNNER_H
#define KX_EMULATED_HOST_SCENARIO_RUNNER_H

#include <windows.h>

#include <string>
#include <vector>

#include "scenarios/scenario.h"

class HostApp;

class ScenarioRunner {
 public:
  ScenarioRunner(HostApp* app, const Scenario& scenario) : mApp(app), mScenario(scenario) {}
  ~ScenarioRunner();
  // Returns the number of failed expectations; a step that cannot run is an error (-1).
  int run(std::string* error);
  // Pumps the message loop for ms milliseconds; false once the host was told to quit.
  static bool pump(int ms);

 private:
  bool step(const ScenarioStep& s, std::string* error);
  bool check(const ScenarioStep& s, std::string* why);
  // The placement and view steps.
  bool placeOrView(const ScenarioStep& s, std::string* error);
  // expect-distance and expect-still: *why says what failed; false for a step that cannot run.
  bool measure(const ScenarioStep& s, std::string* why, std::string* error);
  std::vector<std::string> journalLines(const ScenarioStep& s, size_t from);
  std::string where(const ScenarioStep& s) const;
  HWND otherWindow() const;

  HostApp* mApp;
  const Scenario& mScenario;
  // Where the next wait-until starts looking, per journal: after the event the previous one found.
  size_t mHostMark = 0;
  size_t mDaemonMark = 0;
  int mFailed = 0;
  HANDLE mOther = nullptr;
};

#endif
