// Text lines between the client library and the daemon, and between tests and the control port:
// words separated by single spaces; a text word is escaped so it never holds a space or a line end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class WireCodec {
 public:
  // '%' followed by two hex digits for '%', blanks, control bytes; an empty text becomes "%-".
  static std::string escape(const std::string& text);
  // Undoes escape(); false on a malformed escape.
  static bool unescape(const std::string& word, std::string& text);
  // Splits on runs of blanks; no empty words.
  static std::vector<std::string> split(const std::string& line);
  // Whole-word decimal or 0x-hex integer within [min, max].
  static bool parseInt(const std::string& word, int64_t min, int64_t max, int64_t& value);
};

// Client <-> daemon messages. Requests: "<seq> <verb> <args...>". Replies: "r <seq> <status>
// <values...>". Events pushed by the daemon: "e <code> <tx> <ty> <tz> <rx> <ry> <rz>".
namespace wire {
constexpr const char* kRegister = "register";  // <app>
constexpr const char* kBye = "bye";            // (none)
constexpr const char* kDevNum = "devnum";      // -> <count>
constexpr const char* kDevInfo = "devinfo";    // <index> -> <description> <buttons>
constexpr const char* kAdvanced = "advanced";  // -> <rotationMode> <refit>
constexpr const char* kGetParam = "getparam";  // <number> -> <value>
constexpr const char* kSetParam = "setparam";  // <number> <value>
constexpr const char* kApplMode = "applmode";  // <application> <mode>
constexpr const char* kPing = "ping";
// Event code of a motion-only event: negative, so a reader takes the six values and no command.
constexpr int32_t kMotionEventCode = -1;
// Status words of replies.
constexpr int32_t kStatusOk = 0;
constexpr int32_t kStatusNotRegistered = 2;
constexpr int32_t kStatusBadRequest = 3;
constexpr int32_t kStatusNoDevice = 4;
constexpr int32_t kStatusBadParameter = 5;
}  // namespace wire
