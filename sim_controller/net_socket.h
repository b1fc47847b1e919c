// Loopback TCP and UDP for the simulated controller. The only place of the library and the daemon
// that includes Winsock; everything else sees plain handles and byte strings.
#pragma once

#include <cstdint>
#include <string>

class NetSocket {
 public:
  NetSocket() = default;
  ~NetSocket();
  NetSocket(const NetSocket&) = delete;
  NetSocket& operator=(const NetSocket&) = delete;
  NetSocket(NetSocket&& other) noexcept;
  NetSocket& operator=(NetSocket&& other) noexcept;

  // Each returns false on failure and keeps the reason for errorText().
  bool connectTcp(uint16_t port, int timeoutMs);
  bool listenTcp(uint16_t port);
  // A connected socket, or a closed one when none came within timeoutMs or on failure.
  NetSocket accept(int timeoutMs);
  bool openUdp();
  bool sendTo(uint16_t port, const std::string& datagram);
  bool bindUdp(uint16_t port);
  // One datagram, or an empty string when none arrived within timeoutMs.
  std::string receiveFrom(int timeoutMs);

  bool sendAll(const std::string& data);
  // A send that cannot go on for this long fails instead of blocking (a peer that stopped reading).
  void setSendTimeout(int timeoutMs);
  // Reads up to one line (without its LF). 1: line read, 0: timeout, -1: closed or failed.
  int readLine(std::string& line, int timeoutMs);
  // Makes a blocked readLine or accept in another thread return.
  void shutdown();
  void close();
  bool isOpen() const { return mHandle != kInvalid; }
  uint16_t localPort() const;
  const std::string& errorText() const { return mError; }

  // Reads a port from the environment; the fallback when unset or not a valid port.
  static uint16_t portFromEnv(const char* name, uint16_t fallback);
  // Reads a whole number within [min, max] from the environment, else the fallback.
  static int32_t intFromEnv(const char* name, int32_t fallback, int32_t min, int32_t max);

 private:
  static constexpr uint64_t kInvalid = ~uint64_t(0);
  static constexpr size_t kMaxLine = 65536;
  explicit NetSocket(uint64_t handle) : mHandle(handle) {}
  void setError(const char* what);

  uint64_t mHandle = kInvalid;
  std::string mBuffer;
  std::string mError;
};
