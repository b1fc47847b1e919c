// Runs host commands: macros queued by ProMacroLoad (run once control is back in the message
// loop, which clears the undo history), mapkeys started by typed keys, and trail files replayed
// through the trail-training dialog (which keep the undo history).
#ifndef KX_EMULATED_HOST_MACRO_ENGINE_H
#define KX_EMULATED_HOST_MACRO_ENGINE_H

#include <deque>
#include <map>
#include <string>

#include "api/command_registry.h"
#include "api/mapkey_table.h"
#include "journal/host_journal.h"
#include "pro_toolkit.h"

class MacroEngine {
 public:
  MacroEngine(HostJournal* journal, CommandRegistry* commands);

  ProError load(const std::string& macro);
  bool hasQueued() const { return !mQueue.empty(); }
  void runQueued();

  ProError configSet(const std::string& option, const std::string& value);
  // Every later configSet of this option fails, as with a user's locked configuration.
  void refuseOption(const std::string& option) { mRefusedOption = option; }
  const MapkeyTable& mapkeys() const { return mMapkeys; }
  // A character typed into the graphics window.
  void key(char c, const std::string& source);

  // A command given by the user (menu, scenario): keeps the undo history.
  void runCommand(const std::string& name, const std::string& arg, const std::string& route);
  void userEdit(const std::string& what);
  int undoDepth() const { return mUndoDepth; }
  const std::string& displayStyle() const { return mDisplay; }

 private:
  void runSteps(const std::vector<MacroStep>& steps, const std::string& route, int depth);
  void runStep(const MacroStep& step, const std::string& route, int depth);
  void replayTrail(const std::string& file, int depth);

  HostJournal* mJournal;
  CommandRegistry* mCommands;
  MapkeyTable mMapkeys;
  std::deque<std::string> mQueue;
  std::map<std::string, std::string> mOptions;
  std::string mRefusedOption;
  std::string mDialog;
  std::map<std::string, std::string> mFields;
  int mUndoDepth = 0;
  std::string mDisplay = "Shading";
};

#endif
