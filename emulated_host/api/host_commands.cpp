#include "api/host_commands.h"

#include <algorithm>
#include <sstream>

#include "app/text_file.h"

const char* const HostCommands::kTrailTrain = "ProCmdUtilTrailTrain";
const char* const HostCommands::kFileOpenConfirm = "ProFileSelPushOpen@context_dlg_open_cmd";
const char* const HostCommands::kDisplay = "ProCmdEnvMdlDisp";

namespace {

struct Known {
  std::string name;
  std::vector<std::string> args;  // empty: the command takes none
};

std::vector<Known>& table() {
  static std::vector<Known> kTable = {
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

Known* find(const std::string& name) {
  for (Known& k : table())
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

bool HostCommands::load(const std::string& path, std::string* error) {
  std::string text;
  return readTextFile(path, "command list", &text, error) && parse(text, path, error);
}

bool HostCommands::parse(const std::string& text, const std::string& fileName, std::string* error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  std::vector<Known> added;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    Known k;
    std::stringstream parts(line);
    std::string name;
    std::getline(parts, name, '|');
    if (name.empty() || name.find_first_of(" \t`;") != std::string::npos) {
      *error = fileName + ":" + std::to_string(lineNo) + ": bad command name \"" + name + "\"";
      return false;
    }
    std::string arg;
    while (std::getline(parts, arg, '|')) {
      if (arg.empty() || arg.find_first_of("`;") != std::string::npos) {
        *error = fileName + ":" + std::to_string(lineNo) + ": bad argument \"" + arg + "\"";
        return false;
      }
      k.args.push_back(arg);
    }
    k.name = name;
    added.push_back(k);
  }
  for (Known& k : added) {
    Known* old = find(k.name);
    if (old) {
      old->args.insert(old->args.end(), k.args.begin(), k.args.end());
    } else {
      table().push_back(k);
    }
  }
  return true;
}

std::vector<std::string> HostCommands::names() {
  std::vector<std::string> out;
  for (const Known& k : table()) out.push_back(k.name);
  return out;
}
