#include "api/command_registry.h"

namespace {
constexpr unsigned kCmdMagic = 0x434d4431;
constexpr unsigned kValueMagic = 0x56414c31;
}  // namespace

ProError CommandRegistry::add(const char* name, uiCmdCmdActFn action, ProBoolean check,
                              uiCmdCmdValFn value, uiCmdAccessFn access, uiCmdCmdId* out) {
  if (!name || !*name || !action || !out) return PRO_TK_BAD_INPUTS;
  ui_cmd_handle* existing = find(name);
  if (existing && existing->detached) {
    // The application that registered it was stopped and started again: it takes the name back.
    if (check && !value) return PRO_TK_BAD_INPUTS;
    existing->action = action;
    existing->checkButton = check != 0;
    existing->value = value;
    existing->access = access;
    existing->detached = false;
    *out = existing;
    mJournal->write(
        JsonLine("command_add").str("name", name).flag("ignored", false).flag("reattached", true));
    return PRO_TK_NO_ERROR;
  }
  if (ui_cmd_handle* old = existing) {
    // A second registration of a name is ignored; the first callbacks stay.
    *out = old;
    mJournal->write(JsonLine("command_add").str("name", name).flag("ignored", true));
    return PRO_TK_NO_ERROR;
  }
  if (check && !value) return PRO_TK_BAD_INPUTS;
  auto cmd = std::make_unique<ui_cmd_handle>();
  cmd->magic = kCmdMagic;
  cmd->name = name;
  cmd->action = action;
  cmd->checkButton = check != 0;
  cmd->value = value;
  cmd->access = access;
  *out = cmd.get();
  mCommands.push_back(std::move(cmd));
  mJournal->write(JsonLine("command_add")
                      .str("name", name)
                      .flag("ignored", false)
                      .flag("check_button", check != 0)
                      .flag("has_access", access != nullptr));
  return PRO_TK_NO_ERROR;
}

bool CommandRegistry::valid(uiCmdCmdId cmd) const {
  for (auto& c : mCommands)
    if (c.get() == cmd) return true;
  return false;
}

ui_cmd_handle* CommandRegistry::find(const std::string& name) const {
  for (auto& c : mCommands)
    if (c->name == name) return c.get();
  return nullptr;
}

ProError CommandRegistry::designate(uiCmdCmdId cmd, const char* label, const char* help,
                                    const char* description) {
  if (!valid(cmd) || !label) return PRO_TK_BAD_INPUTS;
  cmd->label = label;
  cmd->help = help ? help : "";
  cmd->description = description ? description : "";
  mJournal->write(JsonLine("command_designate")
                      .str("name", cmd->name)
                      .str("label", cmd->label)
                      .str("help", cmd->help)
                      .str("description", cmd->description));
  return PRO_TK_NO_ERROR;
}

ProError CommandRegistry::valueSet(uiCmdValue* value, ProBoolean set) {
  if (!value || value->magic != kValueMagic) return PRO_TK_BAD_INPUTS;
  // Outside a value callback the host does not look at the handle afterwards.
  mJournal->write(JsonLine("chkbutton_value_set")
                      .flag("value", set != 0)
                      .flag("in_value_callback", value->inValueCallback));
  value->wasSet = true;
  value->state = set != 0;
  return PRO_TK_NO_ERROR;
}

uiCmdAccessState CommandRegistry::access(uiCmdCmdId cmd, uiCmdAccessMode mode,
                                         const std::string& why) {
  if (cmd->detached) return ACCESS_REMOVE;
  if (!cmd->access) return ACCESS_AVAILABLE;
  ++mDepth;
  uiCmdAccessState state = cmd->access(mode);
  --mDepth;
  mJournal->write(JsonLine("access_cb")
                      .str("name", cmd->name)
                      .str("why", why)
                      .num("mode", mode)
                      .num("state", state));
  return state;
}

bool CommandRegistry::value(uiCmdCmdId cmd, const std::string& why) {
  if (cmd->detached || !cmd->checkButton || !cmd->value) return false;
  ui_cmd_value v;
  v.magic = kValueMagic;
  v.inValueCallback = true;
  ++mDepth;
  int result = cmd->value(cmd, &v);
  --mDepth;
  v.magic = 0;
  if (v.wasSet) cmd->checked = v.state;
  mJournal->write(JsonLine("value_cb")
                      .str("name", cmd->name)
                      .str("why", why)
                      .num("result", result)
                      .flag("set", v.wasSet)
                      .flag("checked", cmd->checked));
  return cmd->checked;
}

bool CommandRegistry::invoke(uiCmdCmdId cmd, const std::string& route) {
  uiCmdAccessState state = access(cmd, ACCESS_MODE_ERR_MSG, "invoke");
  if (state != ACCESS_AVAILABLE) {
    mJournal->write(
        JsonLine("action_refused").str("name", cmd->name).str("route", route).num("access", state));
    return false;
  }
  ui_cmd_value v;
  v.magic = kValueMagic;
  mJournal->write(JsonLine("action_cb").str("name", cmd->name).str("route", route));
  ++mDepth;
  int result = cmd->action(cmd, &v, nullptr);
  --mDepth;
  v.magic = 0;
  mJournal->write(JsonLine("action_done").str("name", cmd->name).num("result", result));
  return true;
}

int CommandRegistry::detach(const std::function<bool(const void*)>& owned) {
  int n = 0;
  for (auto& c : mCommands) {
    if (c->detached) continue;
    if (owned(reinterpret_cast<const void*>(c->action)) ||
        owned(reinterpret_cast<const void*>(c->value)) ||
        owned(reinterpret_cast<const void*>(c->access))) {
      c->detached = true;
      c->action = nullptr;
      c->value = nullptr;
      c->access = nullptr;
      ++n;
    }
  }
  return n;
}

void CommandRegistry::updateAll(const std::string& why) {
  // Callbacks may register further commands; walk by index over the ones there now.
  size_t n = mCommands.size();
  for (size_t i = 0; i < n; ++i) {
    ui_cmd_handle* cmd = mCommands[i].get();
    access(cmd, ACCESS_MODE_BLIND, why);
    if (cmd->checkButton) value(cmd, why);
  }
}
