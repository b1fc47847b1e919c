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

struct DaemonOptions {
  std::string configPath = envOr("KX_DAEMON_CONFIG", "");
  std::string journalPath = envOr("KX_DAEMON_JOURNAL", "kx_daemon_journal.jsonl");
  int64_t devices = -1;
  std::string logPath;
  uint16_t clientPort = NetSocket::portFromEnv("KX_DAEMON_PORT", 47012);
  uint16_t controlPort = NetSocket::portFromEnv("KX_DAEMON_CTRL_PORT", 47013);
  uint16_t navPort = NetSocket::portFromEnv("KX_HOST_NAV_PORT", 47011);
};

// Each option with what it does to its value; false once the refusal is printed.
using OptionFn = bool (*)(DaemonOptions& o, const std::string& option, const char* value);
const std::pair<const char*, OptionFn> kOptions[] = {
    {"--config",
     [](DaemonOptions& o, const std::string&, const char* v) { return o.configPath = v, true; }},
    {"--journal",
     [](DaemonOptions& o, const std::string&, const char* v) { return o.journalPath = v, true; }},
    {"--devices",
     [](DaemonOptions& o, const std::string&, const char* v) {
       if (WireCodec::parseInt(v, 0, DaemonConfig::kMaxDevices, o.devices)) return true;
       std::fprintf(stderr, "kx_daemon: --devices needs a number 0-%d, not '%s'\n",
                    DaemonConfig::kMaxDevices, v);
       return false;
     }},
    {"--port", [](DaemonOptions& o, const std::string& opt,
                  const char* v) { return portArg(opt, v, o.clientPort); }},
    {"--control-port", [](DaemonOptions& o, const std::string& opt,
                          const char* v) { return portArg(opt, v, o.controlPort); }},
    {"--nav-port", [](DaemonOptions& o, const std::string& opt,
                      const char* v) { return portArg(opt, v, o.navPort); }},
    {"--log",
     [](DaemonOptions& o, const std::string&, const char* v) { return o.logPath = v, true; }},
};

bool parseOptions(int argc, char** argv, DaemonOptions& options) {
  for (int i = 1; i < argc; i += 2) {
    const std::string opt = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    OptionFn apply = nullptr;
    for (const auto& [name, fn] : kOptions) {
      if (opt == name) apply = fn;
    }
    if (!apply) {
      std::fprintf(stderr, "kx_daemon: unknown option '%s'\n%s", opt.c_str(), kUsage);
      return false;
    }
    if (!value) {
      std::fprintf(stderr, "kx_daemon: missing value for '%s'\n%s", opt.c_str(), kUsage);
      return false;
    }
    if (!apply(options, opt, value)) return false;
  }
  return true;
}

// The daemon's own log: everything but the per-event noise.
void startLog(const std::string& logPath) {
  LogPars pars;
  pars.mLogFile = logPath;
  pars.mSettingsDirPath = ".";
  pars.mIsLogToFile = true;
  pars.mIsWarning = pars.mIsCreation = pars.mIsTrace = pars.mIsInfo = true;
  gLog.init(pars);
}

// Scenarios name a configuration shipped beside the daemon without knowing where they run.
std::string findConfig(const std::string& configPath, const char* self) {
  if (configPath.empty() || isAbsolutePath(configPath) || std::ifstream(configPath) || !self)
    return configPath;
  const std::string selfPath = self;
  const size_t slash = selfPath.find_last_of("\\/");
  const std::string beside =
      slash == std::string::npos ? configPath : selfPath.substr(0, slash + 1) + configPath;
  return std::ifstream(beside) ? beside : configPath;
}

int serve(const DaemonOptions& o, const DaemonConfig& config) {
  std::string error;
  JournalFile journal(JournalFile::Clock::kSinceStart);
  if (!journal.open(o.journalPath, &error)) {
    std::fprintf(stderr, "kx_daemon: %s\n", error.c_str());
    return 2;
  }
  NetSocket udp;
  if (!udp.openUdp()) {
    std::fprintf(stderr, "kx_daemon: legacy output: %s\n", udp.errorText().c_str());
    return 3;
  }
  const uint16_t navPort = o.navPort;
  DaemonCore core(config, journal, [&udp, navPort](const std::string& datagram) {
    return udp.sendTo(navPort, datagram);
  });
  DaemonServer server(core, o.clientPort, o.controlPort);
  if (!server.start(error)) {
    std::fprintf(stderr, "kx_daemon: %s\n", error.c_str());
    return 3;
  }
  journal.write(JsonLine("start")
                    .num("port", o.clientPort)
                    .num("control_port", o.controlPort)
                    .num("nav_port", o.navPort)
                    .num("devices", config.mDeviceCount)
                    .str("config", o.configPath));
  std::printf("kx_daemon: clients on %u, control on %u, legacy output to %u\n", o.clientPort,
              o.controlPort, o.navPort);
  std::fflush(stdout);
  KXLOG(LOG_INF) << "daemon started" << LOG_END;
  server.run();
  journal.write(JsonLine("quit"));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  DaemonOptions options;
  if (!parseOptions(argc, argv, options)) return 2;
  if (!options.logPath.empty()) startLog(options.logPath);
  options.configPath = findConfig(options.configPath, argc > 0 ? argv[0] : nullptr);
  DaemonConfig config;
  std::string error;
  if (!options.configPath.empty() && !config.load(options.configPath, error)) {
    std::fprintf(stderr, "kx_daemon: %s\n", error.c_str());
    return 2;
  }
  if (options.devices >= 0) config.mDeviceCount = static_cast<int32_t>(options.devices);
  return serve(options, config);
}
