#include "daemon_core.h"

#include "kvx_ctrlr.h"
#include "logging.h"
#include "menu_index.h"
#include "wire_codec.h"

namespace {

std::string reply(const std::string& seq, int32_t status, const std::string& values = "") {
  std::string line = "r " + seq + " " + std::to_string(status);
  if (!values.empty()) line += " " + values;
  return line;
}

std::string eventLine(int32_t code, const int16_t v[6]) {
  std::string line = "e " + std::to_string(code);
  for (int i = 0; i < 6; ++i) line += " " + std::to_string(v[i]);
  return line + "\n";
}

bool parseValues(const std::vector<std::string>& words, size_t first, int16_t out[6]) {
  for (int i = 0; i < 6; ++i) {
    int64_t v;
    if (first + i >= words.size() ||
        !WireCodec::parseInt(words[first + i], INT16_MIN, INT16_MAX, v))
      return false;
    out[i] = static_cast<int16_t>(v);
  }
  return true;
}

const int16_t kAtRest[6] = {0, 0, 0, 0, 0, 0};

}  // namespace

DaemonCore::DaemonCore(const DaemonConfig& config, JournalFile& journal, DatagramFn legacyOut)
    : mConfig(config), mJournal(journal), mLegacyOut(std::move(legacyOut)) {
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
  setDeviceCount(config.mDeviceCount);
  KXLOG(LOG_CRT) << "Constructed." << LOG_END;
}

DaemonCore::~DaemonCore() {
  KXLOG(LOG_CRT) << "Destructing ..." << LOG_END;
  KXLOG(LOG_CRT) << "Destructed." << LOG_END;
}

size_t DaemonCore::clientCount() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mClients.size();
}

int32_t DaemonCore::addClient(SendFn send, CloseFn close) {
  std::lock_guard<std::mutex> lock(mMutex);
  int32_t id = mNextClientId++;
  Client& c = mClients[id];
  c.send = std::move(send);
  c.close = std::move(close);
  mJournal.write(JsonLine("connect").num("client", id));
  return id;
}

void DaemonCore::removeClient(int32_t id, const std::string& reason) {
  std::lock_guard<std::mutex> lock(mMutex);
  auto it = mClients.find(id);
  if (it == mClients.end()) return;
  JsonLine line("disconnect");
  line.num("client", id).str("reason", reason);
  if (it->second.isRegistered) line.str("app", it->second.app);
  mJournal.write(line);
  KXLOG(LOG_INF) << "client " << id << " gone: " << reason << LOG_END;
  mClients.erase(it);
}

void DaemonCore::dropAllClients(const std::string& reason) {
  std::map<int32_t, Client> dropped;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    dropped.swap(mClients);
    for (auto& [id, c] : dropped) {
      JsonLine line("disconnect");
      line.num("client", id).str("reason", reason);
      if (c.isRegistered) line.str("app", c.app);
      mJournal.write(line);
    }
  }
  for (auto& entry : dropped) entry.second.close();
}

void DaemonCore::setDeviceCount(int32_t count) {
  std::vector<Device> devices(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    if (static_cast<size_t>(i) < mDevices.size())
      devices[i] = mDevices[i];
    else
      devices[i].config = mConfig.device(i);
  }
  mDevices.swap(devices);
}

std::string DaemonCore::modeOf(const std::string& app) {
  auto it = mModes.find(app);
  return it == mModes.end() ? std::string("Default") : it->second;
}

int32_t DaemonCore::focusedClient() {
  // The application in front: the one named by "focus" if registered, else the newest
  // registration.
  int32_t best = 0;
  uint64_t bestAt = 0;
  for (int pass = 0; pass < 2 && best == 0; ++pass) {
    for (auto& [id, c] : mClients) {
      if (!c.isRegistered) continue;
      if (pass == 0 && (mFocusApp.empty() || c.app != mFocusApp)) continue;
      if (c.registeredAt >= bestAt) {
        best = id;
        bestAt = c.registeredAt;
      }
    }
  }
  return best;
}

void DaemonCore::sendEvent(int32_t clientId, int32_t code, const int16_t values[6],
                           JsonLine detail) {
  auto it = mClients.find(clientId);
  if (it == mClients.end()) return;
  bool sent = it->second.send(eventLine(code, values));
  detail.num("client", clientId)
      .str("app", it->second.app)
      .num("code", code)
      .ints("values", values, 6);
  if (!sent) detail.flag("failed", true);
  mJournal.write(detail);
  // A client that stopped reading is dropped rather than let it stall the daemon.
  if (!sent) it->second.close();
}

void DaemonCore::setLegacy(int32_t device, int32_t value, const char* by) {
  Device& d = mDevices[device];
  int32_t old = d.config.legacyCom1;
  d.config.legacyCom1 = value;
  if ((old == 1) != (value == 1))
    mJournal.write(JsonLine("legacy")
                       .num("device", device)
                       .str("state", value == 1 ? "on" : "off")
                       .str("by", by));
}

void DaemonCore::forward(int32_t device, const int16_t values[6]) {
  if (mDevices[device].config.legacyCom1 != 1) return;
  std::string datagram = "motion";
  for (int i = 0; i < 6; ++i) datagram += " " + std::to_string(values[i]);
  bool sent = mLegacyOut && mLegacyOut(datagram);
  JsonLine line("forward");
  line.num("device", device).ints("values", values, 6);
  if (!sent) line.flag("failed", true);
  mJournal.write(line);
}

void DaemonCore::tick(Clock::time_point now) {
  std::lock_guard<std::mutex> lock(mMutex);
  for (size_t i = 0; i < mDevices.size(); ++i) {
    Device& d = mDevices[i];
    if (!d.isMoving) continue;
    int32_t device = static_cast<int32_t>(i);
    if (now >= d.until) {
      // Released: one at-rest event, then silence.
      d.isMoving = false;
      for (int16_t& v : d.values) v = 0;
    }
    if (int32_t client = focusedClient())
      sendEvent(
          client, wire::kMotionEventCode, d.values,
          JsonLine("event").str("kind", d.isMoving ? "motion" : "rest").num("device", device));
    forward(device, d.values);
  }
}

std::string DaemonCore::handleRequest(int32_t id, const std::string& line) {
  std::lock_guard<std::mutex> lock(mMutex);
  auto it = mClients.find(id);
  if (it == mClients.end()) return std::string();
  Client& c = it->second;
  std::vector<std::string> w = WireCodec::split(line);
  if (w.size() < 2) return std::string();
  const std::string& seq = w[0];
  const std::string& verb = w[1];
  auto bad = [&] { return reply(seq, wire::kStatusBadRequest); };
  if (verb == wire::kPing) return reply(seq, wire::kStatusOk);
  if (verb == wire::kRegister) {
    std::string app;
    if (w.size() != 3 || !WireCodec::unescape(w[2], app) || app.empty()) return bad();
    c.app = app;
    c.isRegistered = true;
    c.registeredAt = ++mRegistrations;
    mJournal.write(JsonLine("register").num("client", id).str("app", app));
    KXLOG(LOG_INF) << "client " << id << " registered as " << app << LOG_END;
    return reply(seq, wire::kStatusOk);
  }
  if (verb == wire::kBye) {
    if (c.isRegistered) mJournal.write(JsonLine("unregister").num("client", id).str("app", c.app));
    c.isRegistered = false;
    return reply(seq, wire::kStatusOk);
  }
  if (!c.isRegistered) return reply(seq, wire::kStatusNotRegistered);
  int64_t a = 0, b = 0;
  if (verb == wire::kDevNum) {
    mJournal.write(JsonLine("device_query")
                       .num("client", id)
                       .str("query", "devnum")
                       .num("count", mDevices.size()));
    return reply(seq, wire::kStatusOk, std::to_string(mDevices.size()));
  }
  if (verb == wire::kDevInfo || verb == wire::kAdvanced) {
    if (w.size() != 3 || !WireCodec::parseInt(w[2], INT32_MIN, INT32_MAX, a)) return bad();
    JsonLine q("device_query");
    q.num("client", id).str("query", verb).num("device", a);
    if (a < 0 || a >= static_cast<int64_t>(mDevices.size())) {
      mJournal.write(q.str("error", "no such device"));
      return reply(seq, wire::kStatusNoDevice);
    }
    const DeviceConfig& d = mDevices[a].config;
    if (verb == wire::kDevInfo) {
      mJournal.write(q.str("description", d.description));
      return reply(seq, wire::kStatusOk,
                   WireCodec::escape(d.description) + " " + std::to_string(d.buttons));
    }
    mJournal.write(q.num("rotation_mode", d.rotationMode).num("refit", d.refit));
    return reply(seq, wire::kStatusOk,
                 std::to_string(d.rotationMode) + " " + std::to_string(d.refit));
  }
  if (verb == wire::kGetParam || verb == wire::kSetParam) {
    bool isSet = verb == wire::kSetParam;
    if (w.size() != (isSet ? 4u : 3u) || !WireCodec::parseInt(w[2], INT32_MIN, INT32_MAX, a) ||
        (isSet && !WireCodec::parseInt(w[3], INT32_MIN, INT32_MAX, b)))
      return bad();
    // Parameters address the first device, the one the application works with.
    JsonLine p(isSet ? "param_write" : "param_read");
    p.num("client", id).num("device", 0).num("param", a);
    if (mDevices.empty()) {
      mJournal.write(p.str("error", "no device"));
      return reply(seq, wire::kStatusNoDevice);
    }
    if (a != KX_PARAM_LEGACY_COM1 || (isSet && b != 0 && b != 1)) {
      mJournal.write(p.num("value", isSet ? b : 0).str("error", "unsupported parameter or value"));
      return reply(seq, wire::kStatusBadParameter);
    }
    if (!isSet) {
      int32_t value = mDevices[0].config.legacyCom1;
      mJournal.write(p.num("value", value));
      return reply(seq, wire::kStatusOk, std::to_string(value));
    }
    mJournal.write(p.num("value", b).num("old", mDevices[0].config.legacyCom1));
    setLegacy(0, static_cast<int32_t>(b), c.app.c_str());
    return reply(seq, wire::kStatusOk);
  }
  if (verb == wire::kApplMode) {
    std::string application, mode;
    if (w.size() != 4 || !WireCodec::unescape(w[2], application) ||
        !WireCodec::unescape(w[3], mode))
      return bad();
    mModes[c.app] = mode;
    mJournal.write(JsonLine("mode")
                       .num("client", id)
                       .str("app", c.app)
                       .str("application", application)
                       .str("mode", mode));
    return reply(seq, wire::kStatusOk);
  }
  return bad();
}

std::string DaemonCore::pressButton(int32_t button, int32_t device) {
  JsonLine j("button");
  j.num("device", device).num("button", button);
  int32_t client = focusedClient();
  if (client == 0) {
    mJournal.write(j.str("result", "no-client"));
    return "ok no-client";
  }
  const std::string app = mClients[client].app;
  const std::string mode = modeOf(app);
  j.str("app", app).str("mode", mode);
  auto appIt = mConfig.mApplications.find(app);
  const ButtonBinding* binding = nullptr;
  if (appIt != mConfig.mApplications.end()) {
    // The mode's own assignment wins; "Default" covers the buttons the mode leaves out.
    for (const std::string& m : {mode, std::string("Default")}) {
      auto modeIt = appIt->second.modes.find(m);
      if (modeIt == appIt->second.modes.end()) continue;
      auto b = modeIt->second.find(button);
      if (b != modeIt->second.end()) {
        binding = &b->second;
        j.str("assigned_in", m);
        break;
      }
    }
  }
  if (!binding) {
    mJournal.write(j.str("result", "unassigned"));
    return "ok unassigned";
  }
  int32_t code = binding->code;
  if (binding->kind == ButtonBinding::kCommand) {
    j.str("command", binding->text);
    MenuIndex menu;
    std::string error;
    if (!menu.load(appIt->second.menuFile, error)) {
      mJournal.write(j.str("result", "unresolved").str("error", error));
      return "ok unresolved " + WireCodec::escape(binding->text);
    }
    int32_t index = menu.indexOf(binding->text);
    if (index < 0) {
      mJournal.write(
          j.str("result", "unresolved").str("error", "not in menu file " + appIt->second.menuFile));
      return "ok unresolved " + WireCodec::escape(binding->text);
    }
    j.num("index", index);
    code = APPL_FUNC_START + index;
  } else if (binding->kind == ButtonBinding::kView) {
    j.str("view", binding->text);
  }
  mJournal.write(j.str("result", "sent").num("code", code));
  sendEvent(client, code, mDevices.empty() ? kAtRest : mDevices[device].values,
            JsonLine("event").str("kind", "button").num("button", button));
  return "ok sent " + std::to_string(code);
}

std::string DaemonCore::handleControl(const std::string& line) {
  std::lock_guard<std::mutex> lock(mMutex);
  std::vector<std::string> words = WireCodec::split(line);
  std::string result;
  if (words.empty())
    result = "error empty command";
  else
    result = control(words);
  JsonLine j("control");
  j.str("command", line).str("reply", result);
  mJournal.write(j);
  return result;
}

std::string DaemonCore::control(const std::vector<std::string>& w) {
  const std::string& cmd = w[0];
  int64_t n = 0, m = 0;
  auto deviceArg = [&](size_t pos, int64_t& device) {
    device = 0;
    if (pos >= w.size()) return !mDevices.empty();
    return WireCodec::parseInt(w[pos], 0, static_cast<int64_t>(mDevices.size()) - 1, device);
  };
  auto noDevice = [&](size_t pos) {
    return "error " + cmd + ": no device " + (pos < w.size() ? w[pos] : std::string("0")) +
           " (devices: " + std::to_string(mDevices.size()) + ")";
  };
  if (cmd == "ping") return w.size() == 1 ? "ok" : "error usage: ping";
  if (cmd == "status") {
    std::string apps;
    for (auto& [id, c] : mClients)
      if (c.isRegistered) apps += (apps.empty() ? "" : ",") + c.app;
    int32_t focus = focusedClient();
    return "ok clients=" + std::to_string(mClients.size()) +
           " registered=" + (apps.empty() ? "-" : apps) +
           " devices=" + std::to_string(mDevices.size()) +
           " focus=" + (focus ? mClients[focus].app : std::string("-"));
  }
  if (cmd == "motion") {
    int16_t values[6];
    if (w.size() < 8 || w.size() > 9 || !parseValues(w, 1, values) ||
        !WireCodec::parseInt(w[7], 1, 600000, n))
      return "error usage: motion <tx> <ty> <tz> <rx> <ry> <rz> <ms> [device] (values -32768 to "
             "32767, ms 1 to 600000)";
    if (!deviceArg(8, m)) return noDevice(8);
    Device& d = mDevices[m];
    for (int i = 0; i < 6; ++i) d.values[i] = values[i];
    d.isMoving = true;
    d.until = Clock::now() + std::chrono::milliseconds(n);
    mJournal.write(JsonLine("cap")
                       .num("device", m)
                       .str("action", "deflect")
                       .ints("values", values, 6)
                       .num("ms", n));
    return "ok";
  }
  if (cmd == "release") {
    if (w.size() > 2) return "error usage: release [device]";
    if (!deviceArg(1, m)) return noDevice(1);
    // The next tick sends the at-rest event.
    if (mDevices[m].isMoving) mDevices[m].until = Clock::now();
    return "ok";
  }
  if (cmd == "button" || cmd == "press") {
    if (w.size() < 2 || w.size() > 3 || !WireCodec::parseInt(w[1], 1, 64, n))
      return "error usage: " + cmd + " <button 1-64> [device]";
    if (!deviceArg(2, m)) return noDevice(2);
    std::string r = pressButton(static_cast<int32_t>(n), static_cast<int32_t>(m));
    mJournal.write(JsonLine("button").num("device", m).num("button", n).str("action", "release"));
    return r;
  }
  if (cmd == "event") {
    int16_t values[6] = {0, 0, 0, 0, 0, 0};
    if ((w.size() != 2 && w.size() != 8) || !WireCodec::parseInt(w[1], INT32_MIN, INT32_MAX, n) ||
        (w.size() == 8 && !parseValues(w, 2, values)))
      return "error usage: event <code> [<tx> <ty> <tz> <rx> <ry> <rz>]";
    int32_t client = focusedClient();
    if (client == 0) return "ok no-client";
    sendEvent(client, static_cast<int32_t>(n), values, JsonLine("event").str("kind", "raw"));
    return "ok sent " + std::to_string(n);
  }
  if (cmd == "advanced") {
    if (w.size() < 2) return "error usage: advanced [device=<n>] rotation_mode=<n> refit=<0|1>";
    int64_t device = 0;
    int64_t rot = INT64_MIN, refit = INT64_MIN;
    for (size_t i = 1; i < w.size(); ++i) {
      size_t eq = w[i].find('=');
      std::string key = w[i].substr(0, eq);
      std::string value = eq == std::string::npos ? "" : w[i].substr(eq + 1);
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
  if (cmd == "devices") {
    if (w.size() != 2 || !WireCodec::parseInt(w[1], 0, DaemonConfig::kMaxDevices, n))
      return "error usage: devices <0-" + std::to_string(DaemonConfig::kMaxDevices) + ">";
    setDeviceCount(static_cast<int32_t>(n));
    mJournal.write(JsonLine("devices").num("count", n));
    return "ok " + std::to_string(n);
  }
  if (cmd == "param") {
    int64_t value = 0;
    if (w.size() < 3 || w.size() > 4 || !WireCodec::parseInt(w[2], 0, INT32_MAX, n) ||
        (w.size() == 4 && !WireCodec::parseInt(w[3], 0, 1, value)))
      return "error usage: param <device> 12 [0|1]";
    if (!deviceArg(1, m)) return noDevice(1);
    if (n != KX_PARAM_LEGACY_COM1) return "error param: only parameter 12 (LegacyCOM1) exists";
    if (w.size() == 4) {
      mJournal.write(JsonLine("param_write")
                         .str("by", "control")
                         .num("device", m)
                         .num("param", n)
                         .num("value", value)
                         .num("old", mDevices[m].config.legacyCom1));
      setLegacy(static_cast<int32_t>(m), static_cast<int32_t>(value), "control");
    }
    return "ok " + std::to_string(mDevices[m].config.legacyCom1);
  }
  if (cmd == "mode") {
    if (w.size() > 2) return "error usage: mode [application]";
    std::string app;
    if (w.size() == 2) {
      app = w[1];
    } else {
      int32_t focus = focusedClient();
      if (focus == 0) return "error mode: no registered application";
      app = mClients[focus].app;
    }
    return "ok " + WireCodec::escape(modeOf(app));
  }
  if (cmd == "focus") {
    if (w.size() != 2) return "error usage: focus <application>|-";
    mFocusApp = w[1] == "-" ? std::string() : w[1];
    return "ok";
  }
  if (cmd == "mark") {
    std::string text;
    for (size_t i = 1; i < w.size(); ++i) text += (i > 1 ? " " : "") + w[i];
    mJournal.write(JsonLine("mark").str("text", text));
    return "ok";
  }
  if (cmd == "journal") return "ok " + WireCodec::escape(mJournal.path());
  return "error unknown command '" + cmd + "'";
}
