#include "host_commands.h"

#include <algorithm>

const char* const HostCommands::kTrailTrain = "ProCmdUtilTrailTrain";
const char* const HostCommands::kFileOpenConfirm = "ProFileSelPushOpen@context_dlg_open_cmd";
const char* const HostCommands::kDisplay = "ProCmdEnvMdlDisp";

namespace {

struct Known {
  const char* name;
  std::vector<std::string> args;  // empty: the command takes none
};

const std::vector<Known>& table() {
  static const std::vector<Known> kTable = {
      {"ProCmdEnvMdlDisp", {"Wireframe", "Shading", "Hidden line", "No hidden"}},
      {"ProCmdUtilTrailTrain", {}},
      {"ProFileSelPushOpen@context_dlg_open_cmd", {}},
      {"ProCmdModelOpen", {}},
      {"ProCmdModelNew", {}},
      {"ProCmdModelSave", {}},
      {"ProCmdModelSaveAs", {}},
      {"ProCmdModelErase", {}},
      {"ProCmdViewRefit", {}},
      {"ProCmdViewRepaint", {}},
      {"ProCmdViewZoomIn", {}},
      {"ProCmdViewZoomOut", {}},
      {"ProCmdViewNormal", {}},
      {"ProCmdViewSpinCntr", {}},
      {"ProCmdViewShaded", {}},
      {"ProCmdViewWireframe", {}},
      {"ProCmdViewHiddenLine", {}},
      {"ProCmdViewNoHidden", {}},
      {"ProCmdViewSavedViews", {}},
      {"ProCmdEnvDtmDisp", {}},
      {"ProCmdEnvAxisDisp", {}},
      {"ProCmdEnvPntsDisp", {}},
      {"ProCmdEnvCsysDisp", {}},
      {"ProCmdRegenPart", {}},
      {"ProCmdRegenAuto", {}},
      {"ProCmdEditUndo", {}},
      {"ProCmdEditRedo", {}},
      {"ProCmdInfoMeasure", {}},
      {"ProCmdWinActivate", {}},
      {"ProCmdWinClose", {}},
      {"ProCmdDatumPlane", {}},
      {"ProCmdFeatExtrude", {}},
      {"ProCmdFeatRevolve", {}},
      {"ProCmdSketch", {}},
  };
  return kTable;
}

const Known* find(const std::string& name) {
  for (const Known& k : table())
    if (name == k.name) return &k;
  return nullptr;
}

}  // namespace

bool HostCommands::isKnown(const std::string& name) { return find(name) != nullptr; }

std::string HostCommands::check(const std::string& name, const std::string& arg) {
  const Known* k = find(name);
  if (!k) return "Command " + name + " does not exist.";
  if (k->args.empty()) {
    if (!arg.empty()) return "Command " + name + " takes no argument, got '" + arg + "'.";
    return "";
  }
  if (std::find(k->args.begin(), k->args.end(), arg) == k->args.end())
    return "Invalid argument '" + arg + "' for command " + name + ".";
  return "";
}

std::vector<std::string> HostCommands::names() {
  std::vector<std::string> out;
  for (const Known& k : table()) out.push_back(k.name);
  return out;
}
