// The simulated daemon's state and behaviour, free of sockets: clients and their registrations,
// devices with their parameters and advanced settings, application modes, button assignment,
// the cap's motion stream and the legacy output. The server feeds it lines and ticks.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "daemon_config.h"
#include "journal_file.h"

class DaemonCore {
 public:
  using SendFn = std::function<bool(const std::string& line)>;
  using CloseFn = std::function<void()>;
  using DatagramFn = std::function<bool(const std::string& datagram)>;
  using Clock = std::chrono::steady_clock;

  DaemonCore(const DaemonConfig& config, JournalFile& journal, DatagramFn legacyOut);
  ~DaemonCore();

  // A new connection; send delivers one line (with its LF), close ends the connection.
  int32_t addClient(SendFn send, CloseFn close);
  // The connection is gone; reason goes into the journal. Unknown ids are ignored.
  void removeClient(int32_t id, const std::string& reason);
  // One request line of a client; returns its reply line without LF (empty: no reply).
  std::string handleRequest(int32_t id, const std::string& line);
  // One control line; returns "ok", "ok <data>" or "error <text>".
  std::string handleControl(const std::string& line);
  // Ends every connection (stop and restart of the daemon).
  void dropAllClients(const std::string& reason);
  // Streams the cap's motion; called every kTickMs.
  void tick(Clock::time_point now);
  size_t clientCount();

  static constexpr int kTickMs = 16;

 private:
  struct Client {
    SendFn send;
    CloseFn close;
    std::string app;
    bool isRegistered = false;
    uint64_t registeredAt = 0;  // order of registration, for routing
  };
  struct Device {
    DeviceConfig config;
    int16_t values[6] = {0, 0, 0, 0, 0, 0};
    bool isMoving = false;
    Clock::time_point until;
  };

  // All below run with mMutex held.
  int32_t focusedClient();
  void sendEvent(int32_t clientId, int32_t code, const int16_t values[6], JsonLine detail);
  void setDeviceCount(int32_t count);
  void setLegacy(int32_t device, int32_t value, const char* by);
  void forward(int32_t device, const int16_t values[6]);
  std::string pressButton(int32_t button, int32_t device);
  std::string modeOf(const std::string& app);

  // Requests of a registered client, one handler each; the table maps the wire verbs to them.
  using RequestHandler = std::string (DaemonCore::*)(int32_t id, Client& client,
                                                     const std::vector<std::string>& words);
  static const std::map<std::string, RequestHandler>& requestVerbs();
  std::string requestDevNum(int32_t id, Client& client, const std::vector<std::string>& words);
  std::string requestDevice(int32_t id, Client& client, const std::vector<std::string>& words);
  std::string requestParam(int32_t id, Client& client, const std::vector<std::string>& words);
  std::string requestMode(int32_t id, Client& client, const std::vector<std::string>& words);

  // Control commands, one handler each; the table maps their names to them.
  using ControlHandler = std::string (DaemonCore::*)(const std::vector<std::string>&);
  static const std::map<std::string, ControlHandler>& controlVerbs();
  bool deviceArg(const std::vector<std::string>& words, size_t pos, int64_t& device) const;
  std::string noDevice(const std::vector<std::string>& words, size_t pos) const;
  std::string controlPing(const std::vector<std::string>& words);
  std::string controlStatus(const std::vector<std::string>& words);
  std::string controlMotion(const std::vector<std::string>& words);
  std::string controlRelease(const std::vector<std::string>& words);
  std::string controlButton(const std::vector<std::string>& words);
  std::string controlEvent(const std::vector<std::string>& words);
  std::string controlAdvanced(const std::vector<std::string>& words);
  std::string controlDevices(const std::vector<std::string>& words);
  std::string controlParam(const std::vector<std::string>& words);
  std::string controlMode(const std::vector<std::string>& words);
  std::string controlFocus(const std::vector<std::string>& words);
  std::string controlMark(const std::vector<std::string>& words);
  std::string controlJournal(const std::vector<std::string>& words);
  static bool parseValues(const std::vector<std::string>& words, size_t first, int16_t out[6]);
  static const int16_t kAtRest[6];

  std::mutex mMutex;
  const DaemonConfig& mConfig;
  JournalFile& mJournal;
  DatagramFn mLegacyOut;
  std::map<int32_t, Client> mClients;
  std::vector<Device> mDevices;
  std::map<std::string, std::string> mModes;  // registered application -> mode last announced
  std::string mFocusApp;
  int32_t mNextClientId = 1;
  uint64_t mRegistrations = 0;
};
