#include "app/nav_listener.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <sstream>

#include "app/host_app.h"
#include "json_line.h"

NavListener::~NavListener() { stop(); }

bool NavListener::parse(const std::string& text, int axes[6]) {
  std::istringstream in(text);
  std::string word;
  if (!(in >> word) || word != "motion") return false;
  for (int i = 0; i < 6; ++i) {
    long long v;
    if (!(in >> v) || v < -100000 || v > 100000) return false;
    axes[i] = static_cast<int>(v);
  }
  std::string extra;
  return !(in >> extra);
}

bool NavListener::start(int port, std::string* error) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) {
    *error = "cannot create the navigation socket";
    return false;
  }
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    *error = "cannot bind UDP port " + std::to_string(port) + ", WSA error " +
             std::to_string(WSAGetLastError());
    closesocket(s);
    return false;
  }
  mSocket = s;
  mRun = true;
  mThread = std::thread(&NavListener::loop, this);
  return true;
}

void NavListener::stop() {
  mRun = false;
  if (mThread.joinable()) mThread.join();
  if (mSocket != ~0ull) closesocket(static_cast<SOCKET>(mSocket));
  mSocket = ~0ull;
}

void NavListener::loop() {
  char buf[512];
  while (mRun) {
    // Waits in short slices so stop() is seen soon.
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(static_cast<SOCKET>(mSocket), &ready);
    timeval slice = {0, 100000};
    if (select(0, &ready, nullptr, nullptr, &slice) <= 0) continue;
    int n = recv(static_cast<SOCKET>(mSocket), buf, sizeof buf - 1, 0);
    if (n <= 0) continue;
    buf[n] = 0;
    int axes[6];
    if (!parse(buf, axes)) {
      mJournal->write(JsonLine("nav_bad").str("datagram", buf));
      continue;
    }
    std::lock_guard<std::mutex> guard(mLock);
    mPending.push_back({axes[0], axes[1], axes[2], axes[3], axes[4], axes[5]});
    if (!mIsPosted) mIsPosted = PostMessageW(mTarget, WM_KXH_NAV, 0, 0) != 0;
  }
}

std::vector<std::array<int, 6>> NavListener::take() {
  std::lock_guard<std::mutex> guard(mLock);
  std::vector<std::array<int, 6>> batch;
  batch.swap(mPending);
  return batch;
}

bool NavListener::endBatch() {
  std::lock_guard<std::mutex> guard(mLock);
  mIsPosted = false;
  return !mPending.empty();
}
