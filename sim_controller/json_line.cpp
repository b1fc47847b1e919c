#include "json_line.h"

#include <cstdio>

JsonLine::JsonLine(const std::string& type) { mText = "{\"ev\":" + quote(type); }

void JsonLine::key(const char* name) {
  mText += ",";
  mText += quote(name);
  mText += ":";
}

JsonLine& JsonLine::add(const char* name, const std::string& value) {
  key(name);
  mText += quote(value);
  return *this;
}

JsonLine& JsonLine::add(const char* name, const char* value) {
  return add(name, std::string(value ? value : ""));
}

JsonLine& JsonLine::add(const char* name, int64_t value) {
  key(name);
  mText += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::add(const char* name, bool value) {
  key(name);
  mText += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::addNull(const char* name) {
  key(name);
  mText += "null";
  return *this;
}

JsonLine& JsonLine::addValues(const int16_t values[6]) {
  key("values");
  mText += "[";
  for (int i = 0; i < 6; ++i) {
    if (i) mText += ",";
    mText += std::to_string(values[i]);
  }
  mText += "]";
  return *this;
}

std::string JsonLine::quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}
