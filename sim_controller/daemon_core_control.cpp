// The daemon's control commands (the test's and the user's side of the simulated controller), one
// handler each, found by name in a table.
#include <map>

#include "daemon_core.h"
#include "kvx_ctrlr.h"
#include "wire_codec.h"

using Words = std::vector<std::string>;

const std::map<std::string, DaemonCore::ControlHandler>& DaemonCore::controlVerbs() {
  static const std::map<std::string, ControlHandler> verbs = {
      {"ping", &DaemonCore::controlPing},       {"status", &DaemonCore::controlStatus},
      {"motion", &DaemonCore::controlMotion},   {"release", &DaemonCore::controlRelease},
      {"button", &DaemonCore::controlButton},   {"press", &DaemonCore::controlButton},
      {"event", &DaemonCore::controlEvent},     {"advanced", &DaemonCore::controlAdvanced},
      {"devices", &DaemonCore::controlDevices}, {"param", &DaemonCore::controlParam},
      {"mode", &DaemonCore::controlMode},       {"focus", &DaemonCore::controlFocus},
      {"mark", &DaemonCore::controlMark},       {"journal", &DaemonCore::controlJournal},
  };
  return verbs;
}

std::string DaemonCore::handleControl(const std::string& line) {
  std::lock_guard<std::mutex> lock(mMutex);
  const Words words = WireCodec::split(line);
  std::string result;
  if (words.empty()) {
    result = "error empty command";
  } else {
    const auto verb = controlVerbs().find(words[0]);
    result = verb == controlVerbs().end() ? "error unknown command '" + words[0] + "'"
                                          : (this->*verb->second)(words);
  }
  JsonLine j("control");
  j.str("command", line).str("reply", result);
  mJournal.write(j);
  return result;
}

bool DaemonCore::deviceArg(const Words& w, size_t pos, int64_t& device) const {
  device = 0;
  if (pos >= w.size()) return !mDevices.empty();
  return WireCodec::parseInt(w[pos], 0, static_cast<int64_t>(mDevices.size()) - 1, device);
}

std::string DaemonCore::noDevice(const Words& w, size_t pos) const {
  return "error " + w[0] + ": no device " + (pos < w.size() ? w[pos] : std::string("0")) +
         " (devices: " + std::to_string(mDevices.size()) + ")";
}

std::string DaemonCore::controlPing(const Words& w) {
  return w.size() == 1 ? "ok" : "error usage: ping";
}

std::string DaemonCore::controlStatus(const Words&) {
  std::string apps;
  for (auto& [id, c] : mClients)
    if (c.isRegistered) apps += (apps.empty() ? "" : ",") + c.app;
  const int32_t focus = focusedClient();
  return "ok clients=" + std::to_string(mClients.size()) +
         " registered=" + (apps.empty() ? "-" : apps) +
         " devices=" + std::to_string(mDevices.size()) +
         " focus=" + (focus ? mClients[focus].app : std::string("-"));
}

std::string DaemonCore::controlMotion(const Words& w) {
  int16_t values[6];
  int64_t ms = 0, device = 0;
  if (w.size() < 8 || w.size() > 9 || !parseValues(w, 1, values) ||
      !WireCodec::parseInt(w[7], 1, 600000, ms))
    return "error usage: motion <tx> <ty> <tz> <rx> <ry> <rz> <ms> [device] (values -32768 to "
           "32767, ms 1 to 600000)";
  if (!deviceArg(w, 8, device)) return noDevice(w, 8);
  Device& d = mDevices[device];
  for (int i = 0; i < 6; ++i) d.values[i] = values[i];
  d.isMoving = true;
  d.until = Clock::now() + std::chrono::milliseconds(ms);
  mJournal.write(JsonLine("cap")
                     .num("device", device)
                     .str("action", "deflect")
                     .ints("values", values, 6)
                     .num("ms", ms));
  return "ok";
}

std::string DaemonCore::controlRelease(const Words& w) {
  int64_t device = 0;
  if (w.size() > 2) return "error usage: release [device]";
  if (!deviceArg(w, 1, device)) return noDevice(w, 1);
  // The next tick sends the at-rest event.
  if (mDevices[device].isMoving) mDevices[device].until = Clock::now();
  return "ok";
}

std::string DaemonCore::controlButton(const Words& w) {
  int64_t button = 0, device = 0;
  if (w.size() < 2 || w.size() > 3 || !WireCodec::parseInt(w[1], 1, 64, button))
    return "error usage: " + w[0] + " <button 1-64> [device]";
  if (!deviceArg(w, 2, device)) return noDevice(w, 2);
  std::string r = pressButton(static_cast<int32_t>(button), static_cast<int32_t>(device));
  mJournal.write(
      JsonLine("button").num("device", device).num("button", button).str("action", "release"));
  return r;
}

std::string DaemonCore::controlEvent(const Words& w) {
  int16_t values[6] = {0, 0, 0, 0, 0, 0};
  int64_t code = 0;
  if ((w.size() != 2 && w.size() != 8) || !WireCodec::parseInt(w[1], INT32_MIN, INT32_MAX, code) ||
      (w.size() == 8 && !parseValues(w, 2, values)))
    return "error usage: event <code> [<tx> <ty> <tz> <rx> <ry> <rz>]";
  const int32_t client = focusedClient();
  if (client == 0) return "ok no-client";
  sendEvent(client, static_cast<int32_t>(code), values, JsonLine("event").str("kind", "raw"));
  return "ok sent " + std::to_string(code);
}

std::string DaemonCore::controlAdvanced(const Words& w) {
  if (w.size() < 2) return "error usage: advanced [device=<n>] rotation_mode=<n> refit=<0|1>";
  int64_t device = 0;
  int64_t rot = INT64_MIN, refit = INT64_MIN;
  for (size_t i = 1; i < w.size(); ++i) {
    const size_t eq = w[i].find('=');
    const std::string key = w[i].substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : w[i].substr(eq + 1);
    bool ok = false;
    if (key == "device") ok = WireCodec::parseInt(value, 0, INT32_MAX, device);
    if (key == "rotation_mode") ok = WireCodec::parseInt(value, INT32_MIN, INT32_MAX, rot);
    if (key == "refit") ok = WireCodec::parseInt(value, 0, 1, refit);
    if (!ok) return "error advanced: bad setting '" + w[i] + "'";
  }
  if (device >= static_cast<int64_t>(mDevices.size()))
    return "error advanced: no device " + std::to_string(device);
  DeviceConfig& d = mDevices[device].config;
  std::vector<int32_t> codes;
  if (rot != INT64_MIN && rot != d.rotationMode) {
    d.rotationMode = static_cast<int32_t>(rot);
    codes.push_back(KX_EV_ADVANCED_SETTINGS_1);
  }
  if (refit != INT64_MIN && refit != d.refit) {
    d.refit = static_cast<int32_t>(refit);
    codes.push_back(KX_EV_ADVANCED_SETTINGS_2);
  }
  mJournal.write(JsonLine("advanced")
                     .num("device", device)
                     .num("rotation_mode", d.rotationMode)
                     .num("refit", d.refit));
  // Every registered application re-reads the settings.
  for (int32_t code : codes)
    for (auto& [id, c] : mClients)
      if (c.isRegistered) sendEvent(id, code, kAtRest, JsonLine("event").str("kind", "settings"));
  return "ok changed " + std::to_string(codes.size());
}

std::string DaemonCore::controlDevices(const Words& w) {
  int64_t count = 0;
  if (w.size() != 2 || !WireCodec::parseInt(w[1], 0, DaemonConfig::kMaxDevices, count))
    return "error usage: devices <0-" + std::to_string(DaemonConfig::kMaxDevices) + ">";
  setDeviceCount(static_cast<int32_t>(count));
  mJournal.write(JsonLine("devices").num("count", count));
  return "ok " + std::to_string(count);
}

std::string DaemonCore::controlParam(const Words& w) {
  int64_t param = 0, value = 0, device = 0;
  if (w.size() < 3 || w.size() > 4 || !WireCodec::parseInt(w[2], 0, INT32_MAX, param) ||
      (w.size() == 4 && !WireCodec::parseInt(w[3], 0, 1, value)))
    return "error usage: param <device> 12 [0|1]";
  if (!deviceArg(w, 1, device)) return noDevice(w, 1);
  if (param != KX_PARAM_LEGACY_COM1) return "error param: only parameter 12 (LegacyCOM1) exists";
  if (w.size() == 4) {
    mJournal.write(JsonLine("param_write")
                       .str("by", "control")
                       .num("device", device)
                       .num("param", param)
                       .num("value", value)
                       .num("old", mDevices[device].config.legacyCom1));
    setLegacy(static_cast<int32_t>(device), static_cast<int32_t>(value), "control");
  }
  return "ok " + std::to_string(mDevices[device].config.legacyCom1);
}

std::string DaemonCore::controlMode(const Words& w) {
  if (w.size() > 2) return "error usage: mode [application]";
  std::string app;
  if (w.size() == 2) {
    app = w[1];
  } else {
    const int32_t focus = focusedClient();
    if (focus == 0) return "error mode: no registered application";
    app = mClients[focus].app;
  }
  return "ok " + WireCodec::escape(modeOf(app));
}

std::string DaemonCore::controlFocus(const Words& w) {
  if (w.size() != 2) return "error usage: focus <application>|-";
  mFocusApp = w[1] == "-" ? std::string() : w[1];
  return "ok";
}

std::string DaemonCore::controlMark(const Words& w) {
  std::string text;
  for (size_t i = 1; i < w.size(); ++i) text += (i > 1 ? " " : "") + w[i];
  mJournal.write(JsonLine("mark").str("text", text));
  return "ok";
}

std::string DaemonCore::controlJournal(const Words&) {
  return "ok " + WireCodec::escape(mJournal.path());
}
