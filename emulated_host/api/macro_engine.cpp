#include "api/macro_engine.h"

#include <set>

#include "api/host_commands.h"
#include "api/trail_file.h"

namespace {

const std::set<std::string>& editCommands() {
  static const std::set<std::string> kEdits = {"ProCmdRegenPart", "ProCmdFeatExtrude",
                                               "ProCmdFeatRevolve", "ProCmdDatumPlane",
                                               "ProCmdSketch"};
  return kEdits;
}

}  // namespace

MacroEngine::MacroEngine(HostJournal* journal, CommandRegistry* commands)
    : mJournal(journal), mCommands(commands) {}

ProError MacroEngine::load(const std::string& macro) {
  std::vector<MacroStep> steps;
  std::string error;
  if (!MacroText::parse(macro, &steps, &error)) {
    mJournal->write(JsonLine("macro_rejected").str("macro", macro).str("error", error));
    return PRO_TK_BAD_INPUTS;
  }
  mQueue.push_back(macro);
  mJournal->write(JsonLine("macro_queued")
                      .str("macro", macro)
                      .flag("in_callback", mCommands->callbackDepth() > 0)
                      .num("queued", mQueue.size()));
  return PRO_TK_NO_ERROR;
}

void MacroEngine::runQueued() {
  while (!mQueue.empty()) {
    std::string macro = mQueue.front();
    mQueue.pop_front();
    std::vector<MacroStep> steps;
    std::string error;
    MacroText::parse(macro, &steps, &error);
    mJournal->write(JsonLine("macro_run").str("macro", macro));
    runSteps(steps, "macro", 0);
  }
}

ProError MacroEngine::configSet(const std::string& option, const std::string& value) {
  if (option.empty()) return PRO_TK_BAD_INPUTS;
  if (option == mRefusedOption) {
    mJournal->write(JsonLine("config_set")
                        .str("option", option)
                        .str("value", value)
                        .str("error", "refused")
                        .num("result", PRO_TK_GENERAL_ERROR));
    return PRO_TK_GENERAL_ERROR;
  }
  if (option == "mapkey") {
    std::string error;
    if (!mMapkeys.define(value, &error)) {
      mJournal->write(JsonLine("config_set")
                          .str("option", option)
                          .str("value", value)
                          .str("error", error)
                          .num("result", PRO_TK_BAD_INPUTS));
      return PRO_TK_BAD_INPUTS;
    }
    size_t space = value.find(' ');
    const Mapkey* mk = mMapkeys.find(value.substr(0, space));
    mJournal->write(JsonLine("config_set")
                        .str("option", option)
                        .str("value", value)
                        .num("result", 0)
                        .str("keys", mk->keys)
                        .num("steps", mk->steps.size()));
    return PRO_TK_NO_ERROR;
  }
  mOptions[option] = value;
  mJournal->write(
      JsonLine("config_set").str("option", option).str("value", value).num("result", 0));
  return PRO_TK_NO_ERROR;
}

void MacroEngine::key(char c, const std::string& source) {
  const Mapkey* mk = mMapkeys.feed(c);
  mJournal->write(JsonLine("key")
                      .str("char", std::string(1, c))
                      .str("source", source)
                      .str("pending", mMapkeys.pending())
                      .flag("mapkey", mk != nullptr));
  if (!mk) return;
  Mapkey copy = *mk;
  mJournal->write(JsonLine("mapkey_run").str("keys", copy.keys).num("steps", copy.steps.size()));
  runSteps(copy.steps, "mapkey", 0);
}

void MacroEngine::runCommand(const std::string& name, const std::string& arg,
                             const std::string& route) {
  MacroStep step;
  step.kind = MacroStep::kCommand;
  step.args = {name};
  if (!arg.empty()) step.args.push_back(arg);
  runStep(step, route, 0);
}

void MacroEngine::userEdit(const std::string& what) {
  ++mUndoDepth;
  mJournal->write(JsonLine("user_edit").str("what", what).num("undo_depth", mUndoDepth));
}

void MacroEngine::runSteps(const std::vector<MacroStep>& steps, const std::string& route,
                           int depth) {
  for (const MacroStep& s : steps) runStep(s, route, depth);
}

void MacroEngine::runStep(const MacroStep& step, const std::string& route, int depth) {
  if (step.kind == MacroStep::kLabel) return;
  if (step.kind == MacroStep::kUpdate) {
    if (mDialog != step.args[0]) {
      mJournal->write(JsonLine("command_error")
                          .str("step", step.text)
                          .str("route", route)
                          .str("message", "Dialog " + step.args[0] + " is not open."));
      return;
    }
    mFields[step.args[1]] = step.args[2];
    mJournal->write(JsonLine("dialog_update")
                        .str("dialog", step.args[0])
                        .str("field", step.args[1])
                        .str("value", step.args[2]));
    return;
  }
  const std::string& name = step.args[0];
  std::string arg = step.args.size() > 1 ? step.args[1] : "";
  ui_cmd_handle* own = mCommands->find(name);
  std::string complaint = own ? "" : HostCommands::check(name, arg);
  if (!complaint.empty()) {
    mJournal->write(JsonLine("command_error")
                        .str("name", name)
                        .str("arg", arg)
                        .str("route", route)
                        .str("message", complaint));
    return;
  }
  // Running commands as a macro starts a new undo history; the user interface and trail files
  // add to it.
  bool cleared = route == "macro";
  if (cleared) {
    mUndoDepth = 0;
  } else if (editCommands().count(name)) {
    ++mUndoDepth;
  } else if (name == "ProCmdEditUndo" && mUndoDepth > 0) {
    --mUndoDepth;
  }
  mJournal->write(JsonLine("command")
                      .str("name", name)
                      .str("arg", arg)
                      .str("route", route)
                      .str("undo", cleared ? "cleared" : "kept")
                      .num("undo_depth", mUndoDepth));
  if (own) {
    mCommands->invoke(own, route);
  } else if (name == HostCommands::kDisplay) {
    mDisplay = arg;
  } else if (name == HostCommands::kTrailTrain) {
    mDialog = "file_open";
    mFields.clear();
    mJournal->write(JsonLine("dialog_open").str("dialog", mDialog).str("purpose", "trail"));
  } else if (name == HostCommands::kFileOpenConfirm) {
    if (mDialog != "file_open") {
      mJournal->write(JsonLine("command_error")
                          .str("name", name)
                          .str("route", route)
                          .str("message", "No file dialog is open."));
      return;
    }
    std::string file = mFields["Inputname"];
    mDialog.clear();
    mJournal->write(JsonLine("dialog_close").str("dialog", "file_open").str("file", file));
    replayTrail(file, depth);
  }
}

void MacroEngine::replayTrail(const std::string& file, int depth) {
  if (depth > 4) {
    mJournal->write(
        JsonLine("trail_error").str("file", file).str("error", "trail files nest too deep"));
    return;
  }
  TrailFile trail;
  std::string error;
  if (file.empty()) {
    error = "no file name given";
  } else if (!trail.load(file, &error)) {
    // error filled by the loader
  }
  if (!error.empty()) {
    mJournal->write(JsonLine("trail_error").str("file", file).str("error", error));
    return;
  }
  // What the file held, so a test sees a stale file from an earlier run for what it is.
  std::string content;
  for (const MacroStep& step : trail.steps()) content += step.text + ";";
  mJournal->write(JsonLine("trail_replay")
                      .str("file", TrailFile::normalizePath(file))
                      .num("version", trail.version())
                      .num("steps", trail.steps().size())
                      .str("content", content));
  runSteps(trail.steps(), "trail", depth + 1);
}
