// The host's hold on the simulated controller's daemon (scenario steps, the window watch's press):
// the process it spawned and the daemon's control port.
#ifndef KX_EMULATED_HOST_DAEMON_LINK_H
#define KX_EMULATED_HOST_DAEMON_LINK_H

#include <windows.h>

#include <string>
#include <vector>

class DaemonLink {
 public:
  DaemonLink() = default;
  ~DaemonLink();
  bool spawn(const std::string& exe, const std::vector<std::string>& args,
             const std::string& journal, std::string* error);
  bool kill(std::string* error);
  bool running() const;
  // One command line; the reply line must start with "ok". Retries the connection until the limit.
  bool send(const std::string& line, int limitMs, std::string* reply, std::string* error);
  const std::string& journalPath() const { return mJournal; }
  void setJournalPath(const std::string& path) { mJournal = path; }
  static int controlPort();

 private:
  HANDLE mProcess = nullptr;
  std::string mJournal;
};

#endif
