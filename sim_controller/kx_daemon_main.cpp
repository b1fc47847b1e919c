// kx_daemon.exe: the simulated controller daemon. Usage in docs/simulated-controller.md.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "daemon_config.h"
#include "daemon_core.h"
#include "daemon_server.h"
#include "journal_file.h"
#include "logging.h"
#include "net_socket.h"
#include "wire_codec.h"

namespace {

const char kUsage[] =
    "usage: kx_daemon.exe [--config <file>] [--journal <file>] [--devices <n>] [--port <n>]\n"
    "                     [--control-port <n>] [--nav-port <n>] [--log <file>]\n";

bool portArg(const std::string& option, const char* value, uint16_t& port) {
  int64_t v;
  if (!value || !WireCodec::parseInt(value, 1, 65535, v)) {
    std::fprintf(stderr, "kx_daemon: %s needs a port number 1-65535, not '%s'\n", option.c_str(),
                 value ? value : "");
    return false;
  }
  port = static_cast<uint16_t>(v);
  return true;
}

bool isAbsolutePath(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() > 1 && path[1] == ':');
}

const char* envOr(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v && *v ? v : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  std::string configPath = envOr("KX_DAEMON_CONFIG", "");
  std::string journalPath = envOr("KX_DAEMON_JOURNAL", "kx_daemon_journal.jsonl");
  int64_t devices = -1;
  std::string logPath;
  uint16_t clientPort = NetSocket::portFromEnv("KX_DAEMON_PORT", 47012);
  uint16_t controlPort = NetSocket::portFromEnv("KX_DAEMON_CTRL_PORT", 47013);
  uint16_t navPort = NetSocket::portFromEnv("KX_HOST_NAV_PORT", 47011);

  const std::string known = " --config --journal --devices --port --control-port --nav-port --log ";
  for (int i = 1; i < argc; ++i) {
    std::string opt = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = value != nullptr;
    if (known.find(" " + opt + " ") == std::string::npos) {
      std::fprintf(stderr, "kx_daemon: unknown option '%s'\n%s", opt.c_str(), kUsage);
      return 2;
    }
    if (opt == "--config" && ok) {
      configPath = value;
    } else if (opt == "--journal" && ok) {
      journalPath = value;
    } else if (opt == "--devices" && ok) {
      if (!WireCodec::parseInt(value, 0, DaemonConfig::kMaxDevices, devices)) {
        std::fprintf(stderr, "kx_daemon: --devices needs a number 0-%d, not '%s'\n",
                     DaemonConfig::kMaxDevices, value);
        return 2;
      }
    } else if (opt == "--port" && ok) {
      if (!portArg(opt, value, clientPort)) return 2;
    } else if (opt == "--control-port" && ok) {
      if (!portArg(opt, value, controlPort)) return 2;
    } else if (opt == "--log" && ok) {
      logPath = value;
    } else if (opt == "--nav-port" && ok) {
      if (!portArg(opt, value, navPort)) return 2;
    } else {
      std::fprintf(stderr, "kx_daemon: missing value for '%s'\n%s", opt.c_str(), kUsage);
      return 2;
    }
    ++i;
  }

  if (!logPath.empty()) {
    // The daemon's own log: everything but the per-event noise.
    LogPars pars;
    pars.mLogFile = logPath;
    pars.mSettingsDirPath = ".";
    pars.mIsLogToFile = true;
    pars.mIsWarning = pars.mIsCreation = pars.mIsTrace = pars.mIsInfo = true;
    gLog.init(pars);
  }

  DaemonConfig config;
  std::string error;
  // Scenarios name a configuration shipped beside the daemon without knowing where they run.
  if (!configPath.empty() && !isAbsolutePath(configPath) && !std::ifstream(configPath) &&
      argc > 0) {
    std::string self = argv[0];
    size_t slash = self.find_last_of("\\/");
    std::string beside =
        slash == std::string::npos ? configPath : self.substr(0, slash + 1) + configPath;
    if (std::ifstream(beside)) configPath = beside;
  }
  if (!configPath.empty() && !config.load(configPath, error)) {
    std::fprintf(stderr, "kx_daemon: %s\n", error.c_str());
    return 2;
  }
  if (devices >= 0) config.mDeviceCount = static_cast<int32_t>(devices);

  JournalFile journal(JournalFile::Clock::kSinceStart);
  if (!journal.open(journalPath, &error)) {
    std::fprintf(stderr, "kx_daemon: %s\n", error.c_str());
    return 2;
  }
  NetSocket udp;
  if (!udp.openUdp()) {
    std::fprintf(stderr, "kx_daemon: legacy output: %s\n", udp.errorText().c_str());
    return 3;
  }
  DaemonCore core(config, journal, [&udp, navPort](const std::string& datagram) {
    return udp.sendTo(navPort, datagram);
  });
  DaemonServer server(core, clientPort, controlPort);
  if (!server.start(error)) {
    std::fprintf(stderr, "kx_daemon: %s\n", error.c_str());
    return 3;
  }
  journal.write(JsonLine("start")
                    .num("port", clientPort)
                    .num("control_port", controlPort)
                    .num("nav_port", navPort)
                    .num("devices", config.mDeviceCount)
                    .str("config", configPath));
  std::printf("kx_daemon: clients on %u, control on %u, legacy output to %u\n", clientPort,
              controlPort, navPort);
  std::fflush(stdout);
  KXLOG(LOG_INF) << "daemon started" << LOG_END;
  server.run();
  journal.write(JsonLine("quit"));
  return 0;
}
