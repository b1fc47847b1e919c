#include "client_link.h"

#include <chrono>

#include "dll_log.h"
#include "net_socket.h"
#include "wire_codec.h"

namespace {
constexpr uint16_t kDefaultDaemonPort = 47012;

void traceWire(const std::string& line) { DllLog::instance().write(DllLog::kDevCom, line); }

int32_t fromStatus(int32_t status) {
  switch (status) {
    case wire::kStatusOk:
      return KX_OK;
    case wire::kStatusNotRegistered:
      return KX_ERR_NOT_REGISTERED;
    case wire::kStatusNoDevice:
      return KX_ERR_NO_DEVICE;
    case wire::kStatusBadParameter:
      return KX_ERR_BAD_PARAMETER;
    case -1:
      return KX_ERR_NO_DAEMON;
    default:
      return KX_ERR_BAD_REQUEST;
  }
}
}  // namespace

ClientLink& ClientLink::instance() {
  // Never destroyed: a destructor would run under the loader lock at unload and could wait there
  // for a reader thread that itself needs that lock to end.
  static ClientLink* link = new ClientLink();
  return *link;
}

std::shared_ptr<ClientSession> ClientLink::current() {
  std::lock_guard<CallerMutex> lock(mMutex);
  return mSession;
}

void ClientLink::replaceSession(std::shared_ptr<ClientSession> session) {
  std::shared_ptr<ClientSession> old;
  {
    std::lock_guard<CallerMutex> lock(mMutex);
    old = std::move(mSession);
    mSession = std::move(session);
    ++mGeneration;
  }
  mChanged.notify_all();
  // Closing wakes callers still waiting on the old session; they hold their own reference.
  if (old) old->close();
}

int32_t ClientLink::connect(const std::string& applName) {
  std::lock_guard<CallerMutex> serial(mConnectMutex);
  if (std::shared_ptr<ClientSession> old = current()) {
    std::vector<std::string> ignored;
    if (old->isAlive()) old->request(wire::kBye, ignored, kRequestTimeoutMs);
    replaceSession(nullptr);
  }
  auto session = std::make_shared<ClientSession>();
  if (DllLog::instance().isOn(DllLog::kDevCom)) session->setTraceSink(traceWire);
  uint16_t port = NetSocket::portFromEnv("KX_DAEMON_PORT", kDefaultDaemonPort);
  if (!session->open(port, kConnectTimeoutMs)) {
    DllLog::instance().write(DllLog::kWarning, "no daemon: " + session->errorText());
    return KX_ERR_NO_DAEMON;
  }
  std::vector<std::string> values;
  int32_t status = session->request(
      std::string(wire::kRegister) + " " + WireCodec::escape(applName), values, kRequestTimeoutMs);
  if (status != wire::kStatusOk) {
    session->close();
    return fromStatus(status);
  }
  replaceSession(session);
  return KX_OK;
}

int32_t ClientLink::disconnect() {
  std::lock_guard<CallerMutex> serial(mConnectMutex);
  std::shared_ptr<ClientSession> session = current();
  int32_t result = KX_OK;
  if (!session || !session->isAlive()) {
    result = KX_ERR_NO_DAEMON;
  } else {
    std::vector<std::string> ignored;
    // Short limit: a disconnect must not hang on a daemon that stopped answering.
    result = fromStatus(session->request(wire::kBye, ignored, 500));
  }
  replaceSession(nullptr);
  return result;
}

int32_t ClientLink::call(const std::string& request, std::vector<std::string>& values) {
  std::shared_ptr<ClientSession> session = current();
  if (!session) return KX_ERR_NO_DAEMON;
  return fromStatus(session->request(request, values, kRequestTimeoutMs));
}

int ClientLink::eventWaitMs() {
  return NetSocket::intFromEnv("KX_EVENT_WAIT_MS", kEventWaitMs, 1, 60000);
}

int32_t ClientLink::getEvent(ControllerEvent& event) {
  using Clock = std::chrono::steady_clock;
  const int waitMs = eventWaitMs();
  auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  uint64_t generation;
  std::shared_ptr<ClientSession> session;
  {
    std::lock_guard<CallerMutex> lock(mMutex);
    generation = mGeneration;
    session = mSession;
  }
  if (session) {
    int rc = session->waitEvent(event, waitMs);
    if (rc == 1) return KX_OK;
    if (rc == 0) return KX_ERR_NO_EVENT;
  }
  // No live link: still wait out the bounded time so a caller looping on this never spins, but
  // return at once when a connect or disconnect happens.
  std::unique_lock<CallerMutex> lock(mMutex);
  mChanged.wait_until(lock, deadline, [&] { return mGeneration != generation; });
  return KX_ERR_NO_DAEMON;
}
