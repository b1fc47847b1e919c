#include "daemon_config.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "kvx_ctrlr.h"
#include "wire_codec.h"

namespace {

struct ViewName {
  const char* name;
  int32_t code;
};

// The special view commands a button can carry instead of an application function.
const ViewName kViews[] = {
    {"front", 0x20009}, {"right", 0x2000A}, {"top", 0x2000B},    {"fit", 0x2000C},
    {"back", 0x20016},  {"left", 0x20017},  {"bottom", 0x20018},
};

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// Replaces %NAME% by the environment variable NAME; false naming the first one that is unset.
bool expandEnvironment(const std::string& text, std::string& out, std::string& missing) {
  out.clear();
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find('%', i);
    size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      out += text.substr(i);
      break;
    }
    out += text.substr(i, open - i);
    std::string name = text.substr(open + 1, close - open - 1);
    const char* value = name.empty() ? "%" : std::getenv(name.c_str());
    if (!value) {
      missing = name;
      return false;
    }
    out += value;
    i = close + 1;
  }
  return true;
}

bool isAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() > 1 && path[1] == ':');
}

}  // namespace

bool DaemonConfig::viewCode(const std::string& name, int32_t& code) {
  for (const ViewName& v : kViews)
    if (name == v.name) {
      code = v.code;
      return true;
    }
  return false;
}

const char* DaemonConfig::viewName(int32_t code) {
  for (const ViewName& v : kViews)
    if (code == v.code) return v.name;
  return nullptr;
}

DeviceConfig DaemonConfig::device(int32_t index) const {
  auto it = mDevices.find(index);
  DeviceConfig d = it != mDevices.end() ? it->second : DeviceConfig();
  if (d.description.empty())
    d.description = "Korvex SpaceCap " + std::to_string(index + 1) + " (simulated)";
  return d;
}

bool DaemonConfig::load(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the configuration file";
    return false;
  }
  size_t slash = path.find_last_of("/\\");
  mDirectory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return parse(in, path, error);
}

namespace {

// The integer keys of a [device] section with their ranges.
struct DeviceKey {
  const char* key;
  int32_t DeviceConfig::*member;
  int64_t min;
  int64_t max;
};
const DeviceKey kDeviceKeys[] = {
    {"legacy_com1", &DeviceConfig::legacyCom1, 0, 1},
    {"rotation_mode", &DeviceConfig::rotationMode, INT32_MIN, INT32_MAX},
    {"refit", &DeviceConfig::refit, 0, 1},
    {"buttons", &DeviceConfig::buttons, 0, 64},
};

// Reads one file line by line; every refusal names the file and the line.
class ConfigReader {
 public:
  ConfigReader(DaemonConfig& config, const std::string& fileName, std::string& error)
      : mConfig(config), mFileName(fileName), mError(error) {}

  bool line(const std::string& text, int lineNo) {
    mLineNo = lineNo;
    if (text[0] == '[') return header(text);
    const size_t eq = text.find('=');
    if (eq == std::string::npos) return fail("expected 'key = value', got '" + text + "'");
    const std::string key = trim(text.substr(0, eq));
    const std::string value = trim(text.substr(eq + 1));
    if (key.empty()) return fail("missing key before '='");
    static const KeyFn kSections[] = {&ConfigReader::noSectionKey, &ConfigReader::daemonKey,
                                      &ConfigReader::deviceKey, &ConfigReader::applicationKey,
                                      &ConfigReader::buttonKey};
    return (this->*kSections[mSection])(key, value);
  }

 private:
  enum Section { kNone, kDaemon, kDevice, kApplication, kButtons };
  using KeyFn = bool (ConfigReader::*)(const std::string& key, const std::string& value);

  bool fail(const std::string& reason) {
    mError = mFileName + ":" + std::to_string(mLineNo) + ": " + reason;
    return false;
  }

  bool intValue(const std::string& key, const std::string& value, int64_t min, int64_t max,
                int32_t& out) {
    int64_t v;
    if (!WireCodec::parseInt(value, min, max, v)) {
      return fail("'" + key + "' needs a number from " + std::to_string(min) + " to " +
                  std::to_string(max) + ", not '" + value + "'");
    }
    out = static_cast<int32_t>(v);
    return true;
  }

  bool header(const std::string& text) {
    if (text.back() != ']') return fail("section header without ']'");
    const std::vector<std::string> words = WireCodec::split(text.substr(1, text.size() - 2));
    if (words.empty()) return fail("empty section header");
    if (words[0] == "daemon" && words.size() == 1) {
      mSection = kDaemon;
    } else if (words[0] == "device" && words.size() == 2) {
      if (!intValue("device", words[1], 0, DaemonConfig::kMaxDevices - 1, mDeviceIndex))
        return false;
      mSection = kDevice;
      mConfig.mDevices[mDeviceIndex];
    } else if (words[0] == "application" && words.size() == 2) {
      mSection = kApplication;
      mApplication = words[1];
      mConfig.mApplications[mApplication];
    } else if (words[0] == "buttons" && words.size() == 3) {
      mSection = kButtons;
      mApplication = words[1];
      mMode = words[2];
      mConfig.mApplications[mApplication].modes[mMode];
    } else {
      return fail("unknown section '" + text +
                  "' (expected [daemon], [device <n>], [application <name>] or "
                  "[buttons <application> <mode>])");
    }
    return true;
  }

  bool noSectionKey(const std::string& key, const std::string&) {
    return fail("'" + key + "' outside of a section");
  }

  bool daemonKey(const std::string& key, const std::string& value) {
    if (key != "devices") return fail("unknown key '" + key + "' in [daemon]");
    return intValue(key, value, 0, DaemonConfig::kMaxDevices, mConfig.mDeviceCount);
  }

  bool deviceKey(const std::string& key, const std::string& value) {
    DeviceConfig& d = mConfig.mDevices[mDeviceIndex];
    if (key == "description") {
      if (value.size() >= KX_DEV_INFO_SIZE - KX_DEV_INFO_DESCRIPTION_OFFSET)
        return fail("description longer than 75 characters");
      d.description = value;
      return true;
    }
    for (const DeviceKey& k : kDeviceKeys) {
      if (key == k.key) return intValue(key, value, k.min, k.max, d.*k.member);
    }
    return fail("unknown key '" + key + "' in [device " + std::to_string(mDeviceIndex) + "]");
  }

  bool applicationKey(const std::string& key, const std::string& value) {
    if (key != "menu_file")
      return fail("unknown key '" + key + "' in [application " + mApplication + "]");
    if (value.empty()) return fail("empty menu_file");
    std::string path, missing;
    if (!expandEnvironment(value, path, missing))
      return fail("menu_file uses %" + missing + "%, which is not set");
    mConfig.mApplications[mApplication].menuFile =
        isAbsolute(path) ? path : mConfig.mDirectory + path;
    return true;
  }

  bool buttonKey(const std::string& key, const std::string& value) {
    ButtonBinding b;
    int32_t button;
    if (!intValue("button number", key, 1, 64, button)) return false;
    if (value.empty()) return fail("button " + key + " has no assignment");
    b.line = mLineNo;
    b.text = value;
    if (value.rfind("view:", 0) == 0) {
      b.kind = ButtonBinding::kView;
      b.text = value.substr(5);
      if (!DaemonConfig::viewCode(b.text, b.code))
        return fail("unknown view command '" + b.text +
                    "' (front, right, top, fit, back, left, bottom)");
    } else if (value.rfind("code:", 0) == 0) {
      b.kind = ButtonBinding::kCode;
      int64_t code;
      if (!WireCodec::parseInt(value.substr(5), INT32_MIN, INT32_MAX, code))
        return fail("bad event code '" + value.substr(5) + "'");
      b.code = static_cast<int32_t>(code);
    }
    auto& buttons = mConfig.mApplications[mApplication].modes[mMode];
    if (buttons.count(button))
      return fail("button " + key + " assigned twice in [buttons " + mApplication + " " + mMode +
                  "] (first on line " + std::to_string(buttons[button].line) + ")");
    buttons[button] = b;
    return true;
  }

  DaemonConfig& mConfig;
  const std::string& mFileName;
  std::string& mError;
  int mLineNo = 0;
  Section mSection = kNone;
  int32_t mDeviceIndex = 0;
  std::string mApplication;
  std::string mMode;
};

}  // namespace

bool DaemonConfig::parse(std::istream& in, const std::string& fileName, std::string& error) {
  ConfigReader reader(*this, fileName, error);
  std::string raw;
  int lineNo = 0;
  while (std::getline(in, raw)) {
    ++lineNo;
    // Editors on Windows like to start a UTF-8 file with a byte order mark.
    if (lineNo == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (!reader.line(line, lineNo)) return false;
  }
  return true;
}
