// Runs kx_daemon.exe from the test's own folder on ports of its own, so parallel test runs do not
// meet, and talks to its control port.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net_socket.h"

class DaemonProcess {
 public:
  DaemonProcess();
  ~DaemonProcess();
  DaemonProcess(const DaemonProcess&) = delete;
  DaemonProcess& operator=(const DaemonProcess&) = delete;

  // Starts the daemon with these arguments plus --journal and waits until its control port answers.
  bool start(const std::vector<std::string>& args = {});
  // Terminates the process hard, as a crash would.
  void kill();
  bool isRunning() const;
  // One control command; returns the reply line ("ok ...", "error ..."), or "" without a reply.
  std::string control(const std::string& line);
  // Runs the daemon to its end with the given arguments; returns its exit code and its output.
  static int runToEnd(const std::vector<std::string>& args, std::string& output);

  std::string journal() const;
  // The number of journal lines holding every one of the given fragments.
  size_t journalCount(const std::vector<std::string>& fragments) const;

  static uint16_t clientPort();
  static uint16_t controlPort();
  static uint16_t navPort();
  static std::string binDir();
  static std::string tempPath(const std::string& name);
  // Writes a file under tempPath(name) and returns its path.
  static std::string writeTemp(const std::string& name, const std::string& text);

 private:
  void* mProcess = nullptr;
  NetSocket mControl;
  std::string mJournalPath;
};
