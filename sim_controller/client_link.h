// The client library's state behind the exported operations: the one current session with the
// daemon. Callers from several threads need no lock of their own.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "caller_sync.h"

#include "client_session.h"

// Results of the exported operations besides 0.
enum KxResult : int32_t {
  KX_OK = 0,
  KX_ERR_NO_DAEMON = 1,       // no link to the daemon (absent, stopped, or never connected)
  KX_ERR_NOT_REGISTERED = 2,  // the daemon has no registration for this link
  KX_ERR_BAD_REQUEST = 3,
  KX_ERR_NO_DEVICE = 4,
  KX_ERR_BAD_PARAMETER = 5,
  KX_ERR_NO_EVENT = 6,  // kxGetEvent: nothing arrived within its wait
  KX_ERR_ARGUMENT = 7,  // a null pointer or unusable value from the caller
};

class ClientLink {
 public:
  static ClientLink& instance();

  int32_t connect(const std::string& applName);
  int32_t disconnect();
  // Sends one request over the current session; returns a KxResult.
  int32_t call(const std::string& request, std::vector<std::string>& values);
  int32_t getEvent(ControllerEvent& event);

  // How long kxGetEvent waits for an event (KX_EVENT_WAIT_MS overrides it), and the request and
  // connect limits.
  static constexpr int kEventWaitMs = 60;
  static int eventWaitMs();
  static constexpr int kRequestTimeoutMs = 2000;
  static constexpr int kConnectTimeoutMs = 1000;

 private:
  ClientLink() = default;
  std::shared_ptr<ClientSession> current();
  void replaceSession(std::shared_ptr<ClientSession> session);

  CallerMutex mConnectMutex;  // one connect or disconnect at a time
  CallerMutex mMutex;         // guards mSession and mGeneration
  CallerCondition mChanged;
  std::shared_ptr<ClientSession> mSession;
  uint64_t mGeneration = 0;
};
