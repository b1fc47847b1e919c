#include "daemon_server.h"

#include <chrono>
#include <thread>

#include "logging.h"
#include "wire_codec.h"

namespace {
constexpr int kPollMs = 100;
}

DaemonServer::DaemonServer(DaemonCore& core, uint16_t clientPort, uint16_t controlPort)
    : mCore(core), mClientPort(clientPort), mControlPort(controlPort) {
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
  KXLOG(LOG_CRT) << "Constructed." << LOG_END;
}

DaemonServer::~DaemonServer() {
  KXLOG(LOG_CRT) << "Destructing ..." << LOG_END;
  KXLOG(LOG_CRT) << "Destructed." << LOG_END;
}

bool DaemonServer::start(std::string& error) {
  if (!mControlListener.listenTcp(mControlPort)) {
    error = "control port " + std::to_string(mControlPort) + ": " + mControlListener.errorText();
    return false;
  }
  if (!mClientListener.listenTcp(mClientPort)) {
    error = "client port " + std::to_string(mClientPort) + ": " + mClientListener.errorText();
    return false;
  }
  mIsListening = true;
  return true;
}

void DaemonServer::run() {
  std::thread clients(&DaemonServer::acceptClients, this);
  std::thread control(&DaemonServer::acceptControl, this);
  std::thread ticker(&DaemonServer::tickLoop, this);
  control.join();
  clients.join();
  ticker.join();
  mCore.dropAllClients("daemon quit");
  // A session ends within a poll once the daemon stops running; one still running after the
  // server and the core are gone would use them: a page fault in the threads library at a quit.
  for (int i = 0; i < 250 && mSessions > 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

void DaemonServer::tickLoop() {
  auto next = std::chrono::steady_clock::now();
  while (mIsRunning) {
    next += std::chrono::milliseconds(DaemonCore::kTickMs);
    auto now = std::chrono::steady_clock::now();
    // After a stall, go on from now instead of sending a burst.
    if (next < now) next = now;
    std::this_thread::sleep_until(next);
    mCore.tick(std::chrono::steady_clock::now());
  }
}

void DaemonServer::acceptClients() {
  while (mIsRunning) {
    {
      std::lock_guard<std::mutex> lock(mListenMutex);
      if (mWantListening && !mClientListener.isOpen()) {
        if (!mClientListener.listenTcp(mClientPort)) mListenError = mClientListener.errorText();
      } else if (!mWantListening && mClientListener.isOpen()) {
        mClientListener.close();
      }
      mIsListening = mClientListener.isOpen();
    }
    if (!mClientListener.isOpen()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs / 4));
      continue;
    }
    NetSocket accepted = mClientListener.accept(kPollMs / 4);
    if (!accepted.isOpen()) continue;
    auto socket = std::make_shared<NetSocket>(std::move(accepted));
    socket->setSendTimeout(1000);
    ++mSessions;
    std::thread([this, socket] {
      serveClient(socket);
      --mSessions;
    }).detach();
  }
}

void DaemonServer::serveClient(std::shared_ptr<NetSocket> socket) {
  auto sendMutex = std::make_shared<std::mutex>();
  int32_t id = mCore.addClient(
      [socket, sendMutex](const std::string& line) {
        std::lock_guard<std::mutex> lock(*sendMutex);
        return socket->sendAll(line);
      },
      [socket] { socket->shutdown(); });
  std::string reason = "connection lost";
  for (;;) {
    std::string line;
    int rc = socket->readLine(line, kPollMs);
    if (rc == 0) {
      if (!mIsRunning) break;
      continue;
    }
    if (rc < 0) break;
    std::string reply = mCore.handleRequest(id, line);
    if (reply.empty()) continue;
    std::lock_guard<std::mutex> lock(*sendMutex);
    if (!socket->sendAll(reply + "\n")) break;
  }
  // A no-op when the daemon itself dropped the client.
  mCore.removeClient(id, reason);
}

void DaemonServer::acceptControl() {
  while (mIsRunning) {
    NetSocket accepted = mControlListener.accept(kPollMs);
    if (!accepted.isOpen()) continue;
    auto socket = std::make_shared<NetSocket>(std::move(accepted));
    ++mSessions;
    std::thread([this, socket] {
      serveControl(socket);
      --mSessions;
    }).detach();
  }
}

bool DaemonServer::setListening(bool on) {
  mWantListening = on;
  for (int i = 0; i < 100; ++i) {
    if (mIsListening == on) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::string DaemonServer::serverCommand(const std::string& line, bool& handled) {
  std::vector<std::string> w = WireCodec::split(line);
  handled =
      w.size() == 1 && (w[0] == "stop" || w[0] == "start" || w[0] == "restart" || w[0] == "quit");
  if (!handled) return std::string();
  std::string result = "ok";
  if (w[0] == "stop" || w[0] == "restart") {
    if (!setListening(false)) result = "error " + w[0] + ": the client port does not close";
    mCore.dropAllClients("daemon " + w[0]);
  }
  if (w[0] == "start" || w[0] == "restart") {
    if (!setListening(true)) {
      std::lock_guard<std::mutex> lock(mListenMutex);
      result =
          "error " + w[0] + ": client port " + std::to_string(mClientPort) + ": " + mListenError;
    }
  }
  if (w[0] == "quit") mIsRunning = false;
  return result;
}

void DaemonServer::serveControl(std::shared_ptr<NetSocket> socket) {
  while (mIsRunning) {
    std::string line;
    int rc = socket->readLine(line, kPollMs);
    if (rc == 0) continue;
    if (rc < 0) break;
    bool handled = false;
    std::string reply = serverCommand(line, handled);
    if (!handled) reply = mCore.handleControl(line);
    KXLOG(LOG_INF) << "control: " << line << " -> " << reply << LOG_END;
    if (!socket->sendAll(reply + "\n")) break;
  }
}
