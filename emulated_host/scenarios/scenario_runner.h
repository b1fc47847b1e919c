// Drives the host through a scenario on the user-interface thread, pumping the message loop
// between steps so the plug-in's timers, callbacks and queued macros run as they would for a user.
#ifndef KX_EMULATED_HOST_SCENARIO_RUNNER_H
#define KX_EMULATED_HOST_SCENARIO_RUNNER_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "scenarios/scenario.h"

class HostApp;

// Exported so the tests can hold the runner's verbs against the ones the parser accepts.
#ifdef KX_HOST_API_BUILD
#define KXH_RUNNER_API __declspec(dllexport)
#else
#define KXH_RUNNER_API
#endif

class ScenarioRunner {
 public:
  ScenarioRunner(HostApp* app, const Scenario& scenario) : mApp(app), mScenario(scenario) {}
  ~ScenarioRunner();
  // Returns the number of failed expectations; a step that cannot run is an error (-1).
  int run(std::string* error);
  // Pumps the message loop for ms milliseconds; false once the host was told to quit.
  static bool pump(int ms);
  // The verbs this runner has a step for, sorted.
  KXH_RUNNER_API static const std::vector<std::string>& verbs();

 private:
  // One member function per verb, or per group of verbs that share their code.
  using Step = bool (ScenarioRunner::*)(const ScenarioStep& s, std::string* error);
  static const std::map<std::string, Step>& handlers();

  bool step(const ScenarioStep& s, std::string* error);
  bool check(const ScenarioStep& s, std::string* why);
  // Counts, journals and prints a failed expectation.
  void failed(const ScenarioStep& s, const std::string& why);
  // expect-distance and expect-still: *why says what failed; false for a step that cannot run.
  bool measure(const ScenarioStep& s, std::string* why, std::string* error);

  bool expectEvents(const ScenarioStep& s, std::string* error);
  bool waitUntil(const ScenarioStep& s, std::string* error);
  bool wait(const ScenarioStep& s, std::string* error);
  bool openModel(const ScenarioStep& s, std::string* error);
  bool activateWindow(const ScenarioStep& s, std::string* error);
  bool activateWindowSilently(const ScenarioStep& s, std::string* error);
  bool replaceGraphics(const ScenarioStep& s, std::string* error);
  bool closeWindow(const ScenarioStep& s, std::string* error);
  bool sketch(const ScenarioStep& s, std::string* error);
  bool select(const ScenarioStep& s, std::string* error);
  bool selectItem(const ScenarioStep& s, std::string* error);
  bool clearSelection(const ScenarioStep& s, std::string* error);
  bool movePointer(const ScenarioStep& s, std::string* error);
  bool bringToForeground(const ScenarioStep& s, std::string* error);
  bool menu(const ScenarioStep& s, std::string* error);
  bool typeKeys(const ScenarioStep& s, std::string* error);
  bool popup(const ScenarioStep& s, std::string* error);
  bool runCommand(const ScenarioStep& s, std::string* error);
  bool userEdit(const ScenarioStep& s, std::string* error);
  bool navigate(const ScenarioStep& s, std::string* error);
  bool screenshot(const ScenarioStep& s, std::string* error);
  bool scrollState(const ScenarioStep& s, std::string* error);
  bool processCounts(const ScenarioStep& s, std::string* error);
  bool stopOrStartPlugin(const ScenarioStep& s, std::string* error);
  bool daemonStart(const ScenarioStep& s, std::string* error);
  bool daemonKill(const ScenarioStep& s, std::string* error);
  bool daemonCommand(const ScenarioStep& s, std::string* error);
  // In scenario_file_step.cpp.
  bool copyFile(const ScenarioStep& s, std::string* error);
  // The placement and view steps.
  bool placeOrView(const ScenarioStep& s, std::string* error);
  bool expectPlacement(const ScenarioStep& s, std::string* error);

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
