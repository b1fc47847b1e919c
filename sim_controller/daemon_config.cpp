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

bool DaemonConfig::parse(std::istream& in, const std::string& fileName, std::string& error) {
  enum Section { kNone, kDaemon, kDevice, kApplication, kButtons } section = kNone;
  int32_t deviceIndex = 0;
  std::string application, mode;
  std::string raw;
  int lineNo = 0;
  auto fail = [&](const std::string& reason) {
    error = fileName + ":" + std::to_string(lineNo) + ": " + reason;
    return false;
  };
  auto intValue = [&](const std::string& key, const std::string& value, int64_t min, int64_t max,
                      int32_t& out) {
    int64_t v;
    if (!WireCodec::parseInt(value, min, max, v)) {
      error = fileName + ":" + std::to_string(lineNo) + ": '" + key + "' needs a number from " +
              std::to_string(min) + " to " + std::to_string(max) + ", not '" + value + "'";
      return false;
    }
    out = static_cast<int32_t>(v);
    return true;
  };

  while (std::getline(in, raw)) {
    ++lineNo;
    // Editors on Windows like to start a UTF-8 file with a byte order mark.
    if (lineNo == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
    std::string line = trim(raw);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return fail("section header without ']'");
      std::vector<std::string> words = WireCodec::split(line.substr(1, line.size() - 2));
      if (words.empty()) return fail("empty section header");
      if (words[0] == "daemon" && words.size() == 1) {
        section = kDaemon;
      } else if (words[0] == "device" && words.size() == 2) {
        if (!intValue("device", words[1], 0, kMaxDevices - 1, deviceIndex)) return false;
        section = kDevice;
        mDevices[deviceIndex];
      } else if (words[0] == "application" && words.size() == 2) {
        section = kApplication;
        application = words[1];
        mApplications[application];
      } else if (words[0] == "buttons" && words.size() == 3) {
        section = kButtons;
        application = words[1];
        mode = words[2];
        mApplications[application].modes[mode];
      } else {
        return fail("unknown section '" + line +
                    "' (expected [daemon], [device <n>], [application <name>] or "
                    "[buttons <application> <mode>])");
      }
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) return fail("expected 'key = value', got '" + line + "'");
    std::string key = trim(line.substr(0, eq));
    std::string value = trim(line.substr(eq + 1));
    if (key.empty()) return fail("missing key before '='");
    switch (section) {
      case kNone:
        return fail("'" + key + "' outside of a section");
      case kDaemon:
        if (key == "devices") {
          if (!intValue(key, value, 0, kMaxDevices, mDeviceCount)) return false;
        } else {
          return fail("unknown key '" + key + "' in [daemon]");
        }
        break;
      case kDevice: {
        DeviceConfig& d = mDevices[deviceIndex];
        if (key == "description") {
          if (value.size() >= KX_DEV_INFO_SIZE - KX_DEV_INFO_DESCRIPTION_OFFSET)
            return fail("description longer than 75 characters");
          d.description = value;
        } else if (key == "legacy_com1") {
          if (!intValue(key, value, 0, 1, d.legacyCom1)) return false;
        } else if (key == "rotation_mode") {
          if (!intValue(key, value, INT32_MIN, INT32_MAX, d.rotationMode)) return false;
        } else if (key == "refit") {
          if (!intValue(key, value, 0, 1, d.refit)) return false;
        } else if (key == "buttons") {
          if (!intValue(key, value, 0, 64, d.buttons)) return false;
        } else {
          return fail("unknown key '" + key + "' in [device " + std::to_string(deviceIndex) + "]");
        }
        break;
      }
      case kApplication:
        if (key == "menu_file") {
          if (value.empty()) return fail("empty menu_file");
          std::string path, missing;
          if (!expandEnvironment(value, path, missing))
            return fail("menu_file uses %" + missing + "%, which is not set");
          mApplications[application].menuFile = isAbsolute(path) ? path : mDirectory + path;
        } else {
          return fail("unknown key '" + key + "' in [application " + application + "]");
        }
        break;
      case kButtons: {
        ButtonBinding b;
        int32_t button;
        if (!intValue("button number", key, 1, 64, button)) return false;
        if (value.empty()) return fail("button " + key + " has no assignment");
        b.line = lineNo;
        b.text = value;
        if (value.rfind("view:", 0) == 0) {
          b.kind = ButtonBinding::kView;
          b.text = value.substr(5);
          if (!viewCode(b.text, b.code))
            return fail("unknown view command '" + b.text +
                        "' (front, right, top, fit, back, left, bottom)");
        } else if (value.rfind("code:", 0) == 0) {
          b.kind = ButtonBinding::kCode;
          int64_t code;
          if (!WireCodec::parseInt(value.substr(5), INT32_MIN, INT32_MAX, code))
            return fail("bad event code '" + value.substr(5) + "'");
          b.code = static_cast<int32_t>(code);
        }
        auto& buttons = mApplications[application].modes[mode];
        if (buttons.count(button))
          return fail("button " + key + " assigned twice in [buttons " + application + " " + mode +
                      "] (first on line " + std::to_string(buttons[button].line) + ")");
        buttons[button] = b;
        break;
      }
    }
  }
  return true;
}
