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

}  // namespace

const int16_t DaemonCore::kAtRest[6] = {0, 0, 0, 0, 0, 0};

bool DaemonCore::parseValues(const std::vector<std::string>& words, size_t first, int16_t out[6]) {
  for (int i = 0; i < 6; ++i) {
    int64_t v;
    if (first + i >= words.size() ||
        !WireCodec::parseInt(words[first + i], INT16_MIN, INT16_MAX, v))
      return false;
    out[i] = static_cast<int16_t>(v);
  }
  return true;
}

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

const std::map<std::string, DaemonCore::RequestHandler>& DaemonCore::requestVerbs() {
  static const std::map<std::string, RequestHandler> verbs = {
      {wire::kDevNum, &DaemonCore::requestDevNum},   {wire::kDevInfo, &DaemonCore::requestDevice},
      {wire::kAdvanced, &DaemonCore::requestDevice}, {wire::kGetParam, &DaemonCore::requestParam},
      {wire::kSetParam, &DaemonCore::requestParam},  {wire::kApplMode, &DaemonCore::requestMode},
  };
  return verbs;
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
  if (verb == wire::kPing) return reply(seq, wire::kStatusOk);
  if (verb == wire::kRegister) {
    std::string app;
    if (w.size() != 3 || !WireCodec::unescape(w[2], app) || app.empty())
      return reply(seq, wire::kStatusBadRequest);
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
  const auto handler = requestVerbs().find(verb);
  if (handler == requestVerbs().end()) return reply(seq, wire::kStatusBadRequest);
  return (this->*handler->second)(id, c, w);
}

std::string DaemonCore::requestDevNum(int32_t id, Client&, const std::vector<std::string>& w) {
  mJournal.write(JsonLine("device_query")
                     .num("client", id)
                     .str("query", "devnum")
                     .num("count", mDevices.size()));
  return reply(w[0], wire::kStatusOk, std::to_string(mDevices.size()));
}

std::string DaemonCore::requestDevice(int32_t id, Client&, const std::vector<std::string>& w) {
  const std::string& seq = w[0];
  const std::string& verb = w[1];
  int64_t a = 0;
  if (w.size() != 3 || !WireCodec::parseInt(w[2], INT32_MIN, INT32_MAX, a))
    return reply(seq, wire::kStatusBadRequest);
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

std::string DaemonCore::requestParam(int32_t id, Client& c, const std::vector<std::string>& w) {
  const std::string& seq = w[0];
  const bool isSet = w[1] == wire::kSetParam;
  int64_t a = 0, b = 0;
  if (w.size() != (isSet ? 4u : 3u) || !WireCodec::parseInt(w[2], INT32_MIN, INT32_MAX, a) ||
      (isSet && !WireCodec::parseInt(w[3], INT32_MIN, INT32_MAX, b)))
    return reply(seq, wire::kStatusBadRequest);
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
    const int32_t value = mDevices[0].config.legacyCom1;
    mJournal.write(p.num("value", value));
    return reply(seq, wire::kStatusOk, std::to_string(value));
  }
  mJournal.write(p.num("value", b).num("old", mDevices[0].config.legacyCom1));
  setLegacy(0, static_cast<int32_t>(b), c.app.c_str());
  return reply(seq, wire::kStatusOk);
}

std::string DaemonCore::requestMode(int32_t id, Client& c, const std::vector<std::string>& w) {
  std::string application, mode;
  if (w.size() != 4 || !WireCodec::unescape(w[2], application) || !WireCodec::unescape(w[3], mode))
    return reply(w[0], wire::kStatusBadRequest);
  mModes[c.app] = mode;
  mJournal.write(JsonLine("mode")
                     .num("client", id)
                     .str("app", c.app)
                     .str("application", application)
                     .str("mode", mode));
  return reply(w[0], wire::kStatusOk);
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
