#include "net_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>

namespace {

// Win32's own once: the threads library's would register the calling thread (see caller_sync.h).
INIT_ONCE sWinsockOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK startWinsockOnce(PINIT_ONCE, PVOID, PVOID*) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  return TRUE;
}

void startWinsock() { InitOnceExecuteOnce(&sWinsockOnce, startWinsockOnce, nullptr, nullptr); }

sockaddr_in loopback(uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

SOCKET raw(uint64_t handle) { return static_cast<SOCKET>(handle); }

// 1: readable, 0: timeout, -1: error.
int waitReadable(SOCKET s, int timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv;
  tv.tv_sec = timeoutMs / 1000;
  tv.tv_usec = (timeoutMs % 1000) * 1000;
  int n = select(0, &set, nullptr, nullptr, timeoutMs < 0 ? nullptr : &tv);
  return n > 0 ? 1 : (n == 0 ? 0 : -1);
}

}  // namespace

NetSocket::~NetSocket() { close(); }

NetSocket::NetSocket(NetSocket&& other) noexcept
    : mHandle(other.mHandle), mBuffer(std::move(other.mBuffer)), mError(std::move(other.mError)) {
  other.mHandle = kInvalid;
}

NetSocket& NetSocket::operator=(NetSocket&& other) noexcept {
  if (this != &other) {
    close();
    mHandle = other.mHandle;
    mBuffer = std::move(other.mBuffer);
    mError = std::move(other.mError);
    other.mHandle = kInvalid;
  }
  return *this;
}

void NetSocket::setError(const char* what) {
  mError = std::string(what) + " failed (WSA error " + std::to_string(WSAGetLastError()) + ")";
}

bool NetSocket::connectTcp(uint16_t port, int timeoutMs) {
  startWinsock();
  close();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    setError("socket");
    return false;
  }
  // Non-blocking connect so an absent daemon costs at most timeoutMs.
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  sockaddr_in addr = loopback(port);
  int rc = ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  if (rc != 0 && WSAGetLastError() != WSAEWOULDBLOCK) {
    setError("connect");
    closesocket(s);
    return false;
  }
  if (rc != 0) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int n = select(0, nullptr, &writable, &failed, &tv);
    if (n <= 0 || FD_ISSET(s, &failed)) {
      mError = "connect to port " + std::to_string(port) + (n == 0 ? " timed out" : " refused");
      closesocket(s);
      return false;
    }
  }
  nonBlocking = 0;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  BOOL noDelay = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
  mHandle = s;
  mBuffer.clear();
  return true;
}

bool NetSocket::listenTcp(uint16_t port) {
  startWinsock();
  close();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    setError("socket");
    return false;
  }
  // A restarted daemon must get its port back at once, but never share it with a live one.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  sockaddr_in addr = loopback(port);
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    setError(("bind to port " + std::to_string(port)).c_str());
    closesocket(s);
    return false;
  }
  if (listen(s, SOMAXCONN) != 0) {
    setError("listen");
    closesocket(s);
    return false;
  }
  mHandle = s;
  return true;
}

NetSocket NetSocket::accept(int timeoutMs) {
  if (mHandle == kInvalid || waitReadable(raw(mHandle), timeoutMs) != 1) return NetSocket();
  SOCKET s = ::accept(raw(mHandle), nullptr, nullptr);
  if (s == INVALID_SOCKET) {
    setError("accept");
    return NetSocket();
  }
  BOOL noDelay = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
  return NetSocket(s);
}

bool NetSocket::openUdp() {
  startWinsock();
  close();
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) {
    setError("socket");
    return false;
  }
  mHandle = s;
  return true;
}

bool NetSocket::bindUdp(uint16_t port) {
  if (!openUdp()) return false;
  sockaddr_in addr = loopback(port);
  if (bind(raw(mHandle), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    setError(("bind to UDP port " + std::to_string(port)).c_str());
    close();
    return false;
  }
  return true;
}

bool NetSocket::sendTo(uint16_t port, const std::string& datagram) {
  sockaddr_in addr = loopback(port);
  int n = sendto(raw(mHandle), datagram.data(), static_cast<int>(datagram.size()), 0,
                 reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  if (n != static_cast<int>(datagram.size())) {
    setError("sendto");
    return false;
  }
  return true;
}

std::string NetSocket::receiveFrom(int timeoutMs) {
  if (waitReadable(raw(mHandle), timeoutMs) != 1) return std::string();
  char buffer[2048];
  int n = recvfrom(raw(mHandle), buffer, sizeof buffer, 0, nullptr, nullptr);
  return n > 0 ? std::string(buffer, n) : std::string();
}

void NetSocket::setSendTimeout(int timeoutMs) {
  DWORD ms = static_cast<DWORD>(timeoutMs);
  setsockopt(raw(mHandle), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

bool NetSocket::sendAll(const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    int n = send(raw(mHandle), data.data() + done, static_cast<int>(data.size() - done), 0);
    if (n <= 0) {
      setError("send");
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

int NetSocket::readLine(std::string& line, int timeoutMs) {
  for (;;) {
    size_t end = mBuffer.find('\n');
    if (end != std::string::npos) {
      line = mBuffer.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      mBuffer.erase(0, end + 1);
      return 1;
    }
    if (mHandle == kInvalid) return -1;
    // No message of ours comes near this; a peer that never ends its line is cut off.
    if (mBuffer.size() > kMaxLine) {
      mError = "line longer than " + std::to_string(kMaxLine) + " bytes";
      return -1;
    }
    int ready = waitReadable(raw(mHandle), timeoutMs);
    if (ready == 0) return 0;
    if (ready < 0) {
      setError("select");
      return -1;
    }
    char chunk[4096];
    int n = recv(raw(mHandle), chunk, sizeof chunk, 0);
    if (n <= 0) {
      if (n < 0)
        setError("recv");
      else
        mError = "connection closed by peer";
      return -1;
    }
    mBuffer.append(chunk, static_cast<size_t>(n));
  }
}

void NetSocket::shutdown() {
  if (mHandle != kInvalid) ::shutdown(raw(mHandle), SD_BOTH);
}

void NetSocket::close() {
  if (mHandle != kInvalid) {
    closesocket(raw(mHandle));
    mHandle = kInvalid;
  }
}

uint16_t NetSocket::localPort() const {
  sockaddr_in addr{};
  int len = sizeof addr;
  if (getsockname(raw(mHandle), reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  return ntohs(addr.sin_port);
}

uint16_t NetSocket::portFromEnv(const char* name, uint16_t fallback) {
  return static_cast<uint16_t>(intFromEnv(name, fallback, 1, 65535));
}

int32_t NetSocket::intFromEnv(const char* name, int32_t fallback, int32_t min, int32_t max) {
  // GetEnvironmentVariable sees changes made by the hosting process after start-up; the CRT copy
  // of the environment does not.
  char value[32];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value) return fallback;
  char* end = nullptr;
  long number = std::strtol(value, &end, 10);
  if (end == value || *end != '\0' || number < min || number > max) return fallback;
  return static_cast<int32_t>(number);
}
