// One JSON object on one line, built field by field, for the daemon's journal.
#pragma once

#include <cstdint>
#include <string>

class JsonLine {
 public:
  explicit JsonLine(const std::string& type);
  JsonLine& add(const char* key, const std::string& value);
  JsonLine& add(const char* key, const char* value);
  JsonLine& add(const char* key, int64_t value);
  JsonLine& add(const char* key, int32_t value) { return add(key, static_cast<int64_t>(value)); }
  JsonLine& add(const char* key, bool value);
  JsonLine& addNull(const char* key);
  // The six motion values as the array "values".
  JsonLine& addValues(const int16_t values[6]);
  // The finished object, without a line end.
  std::string str() const { return mText + "}"; }

  static std::string quote(const std::string& text);

 private:
  void key(const char* name);
  std::string mText;
};
