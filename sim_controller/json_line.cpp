#include "json_line.h"

#include "json_quote.h"

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

std::string JsonLine::quote(const std::string& text) { return jsonQuote(text); }
