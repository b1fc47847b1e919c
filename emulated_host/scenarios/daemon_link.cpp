#include "scenarios/daemon_link.h"

#include <winsock2.h>

#include <cstdlib>

#include "app/host_app.h"

DaemonLink::~DaemonLink() {
  std::string ignored;
  if (running()) kill(&ignored);
  if (mProcess) CloseHandle(mProcess);
}

int DaemonLink::controlPort() {
  const char* env = std::getenv("KX_DAEMON_CTRL_PORT");
  int port = env ? std::atoi(env) : 0;
  return port > 0 && port < 65536 ? port : 47013;
}

bool DaemonLink::running() const {
  return mProcess && WaitForSingleObject(mProcess, 0) == WAIT_TIMEOUT;
}

bool DaemonLink::spawn(const std::string& exe, const std::vector<std::string>& args,
                       const std::string& journal, std::string* error) {
  if (running()) {
    *error = "the daemon is already running";
    return false;
  }
  std::string cmd = "\"" + exe + "\"";
  for (const std::string& a : args) cmd += " \"" + a + "\"";
  cmd += " --journal \"" + journal + "\"";
  std::wstring wcmd = toWide(cmd);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &wcmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    *error = "cannot start '" + exe + "', Windows error " + std::to_string(GetLastError());
    return false;
  }
  CloseHandle(pi.hThread);
  if (mProcess) CloseHandle(mProcess);
  mProcess = pi.hProcess;
  mJournal = journal;
  return true;
}

bool DaemonLink::kill(std::string* error) {
  if (!running()) {
    *error = "no daemon started by this scenario is running";
    return false;
  }
  TerminateProcess(mProcess, 9);
  WaitForSingleObject(mProcess, 5000);
  return true;
}

bool DaemonLink::send(const std::string& line, int limitMs, std::string* reply,
                      std::string* error) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  DWORD start = GetTickCount();
  SOCKET s = INVALID_SOCKET;
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(controlPort()));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  while (true) {
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
      break;
    if (s != INVALID_SOCKET) closesocket(s);
    s = INVALID_SOCKET;
    if (static_cast<int>(GetTickCount() - start) > limitMs) {
      *error = "no daemon on control port " + std::to_string(controlPort());
      return false;
    }
    Sleep(100);
  }
  std::string out = line + "\n";
  if (::send(s, out.c_str(), static_cast<int>(out.size()), 0) != static_cast<int>(out.size())) {
    closesocket(s);
    *error = "cannot send to the daemon's control port";
    return false;
  }
  reply->clear();
  char c;
  while (true) {
    // The reply must come within the limit; a daemon that accepts and stays silent cannot hang
    // the scenario.
    int left = limitMs - static_cast<int>(GetTickCount() - start);
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(s, &ready);
    timeval wait = {left > 0 ? left / 1000 : 0, left > 0 ? (left % 1000) * 1000 : 0};
    if (select(0, &ready, nullptr, nullptr, &wait) <= 0) {
      closesocket(s);
      *error = "no reply from the daemon within " + std::to_string(limitMs) + " ms";
      return false;
    }
    int n = recv(s, &c, 1, 0);
    if (n <= 0) {
      closesocket(s);
      *error = reply->empty() ? "no reply from the daemon" : "reply not terminated: " + *reply;
      return false;
    }
    if (c == '\n') break;
    if (c != '\r') *reply += c;
  }
  closesocket(s);
  if (reply->compare(0, 2, "ok") != 0 || (reply->size() > 2 && (*reply)[2] != ' ')) {
    *error = "daemon replied: " + *reply;
    return false;
  }
  return true;
}
