// Commands that applications register with the host, their designations, and the value handles
// the host passes to check-button callbacks.
#ifndef KX_EMULATED_HOST_COMMAND_REGISTRY_H
#define KX_EMULATED_HOST_COMMAND_REGISTRY_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "journal/host_journal.h"
#include "pro_toolkit.h"

struct ui_cmd_handle {
  unsigned magic = 0;
  std::string name;
  uiCmdCmdActFn action = nullptr;
  bool checkButton = false;
  uiCmdCmdValFn value = nullptr;
  uiCmdAccessFn access = nullptr;
  std::string label, help, description;
  bool checked = false;   // last state a value callback set
  bool detached = false;  // its application was stopped
};

struct ui_cmd_value {
  unsigned magic = 0;
  bool inValueCallback = false;
  bool wasSet = false;
  bool state = false;
};

class CommandRegistry {
 public:
  explicit CommandRegistry(HostJournal* journal) : mJournal(journal) {}

  ProError add(const char* name, uiCmdCmdActFn action, ProBoolean check, uiCmdCmdValFn value,
               uiCmdAccessFn access, uiCmdCmdId* out);
  ProError designate(uiCmdCmdId cmd, const char* label, const char* help, const char* description);
  ProError valueSet(uiCmdValue* value, ProBoolean set);
  bool valid(uiCmdCmdId cmd) const;
  ui_cmd_handle* find(const std::string& name) const;

  // Asks the access callback; 3 (available) when there is none.
  uiCmdAccessState access(uiCmdCmdId cmd, uiCmdAccessMode mode, const std::string& why);
  // Asks the value callback of a check button and remembers the state it set.
  bool value(uiCmdCmdId cmd, const std::string& why);
  // Runs the action callback; false when the command is not available.
  bool invoke(uiCmdCmdId cmd, const std::string& route);
  // What the host does when its user interface is brought up to date: asks every command's access
  // callback, and the value callback of check buttons.
  void updateAll(const std::string& why);
  // Detaches the commands whose callbacks `owned` claims (their application stopped): they are
  // not offered and do nothing until registered again. Returns how many.
  int detach(const std::function<bool(const void*)>& owned);
  // Depth of plug-in callbacks running now (macros loaded inside one wait for the loop).
  int callbackDepth() const { return mDepth; }

 private:
  HostJournal* mJournal;
  std::vector<std::unique_ptr<ui_cmd_handle>> mCommands;
  int mDepth = 0;
};

#endif
