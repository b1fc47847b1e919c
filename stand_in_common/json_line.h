// One journal event as a flat JSON object, and the reader for such lines. The emulated host and the
// simulated daemon write their journals with it, so conditions read the same on both.
#ifndef KX_STAND_IN_JSON_LINE_H
#define KX_STAND_IN_JSON_LINE_H

#include <cstdint>
#include <map>
#include <string>
#include <type_traits>

class JsonLine {
 public:
  explicit JsonLine(const std::string& kind);

  JsonLine& str(const std::string& key, const std::string& value);
  // Any integer type; a bool or a pointer here would be a mistake the compiler should catch.
  template <typename T>
  JsonLine& num(const std::string& key, T value) {
    static_assert(std::is_integral<T>::value && !std::is_same<T, bool>::value,
                  "num() takes an integer; use flag() for a bool");
    return integer(key, static_cast<long long>(value));
  }
  JsonLine& real(const std::string& key, double value);
  JsonLine& flag(const std::string& key, bool value);
  template <typename T>
  JsonLine& flag(const std::string& key, T value) = delete;
  JsonLine& matrix(const std::string& key, const double m[4][4]);
  // Integers as one array, e.g. the six cap values.
  JsonLine& ints(const std::string& key, const int16_t* values, int count);

  const std::string& kind() const { return mKind; }
  // The object with the timestamp first, then "ev", then the fields in the order added.
  std::string text(long long timeMs) const;

  static std::string quote(const std::string& s);
  // Reads one object; nested values are kept as their raw text, strings are unescaped.
  static bool parse(const std::string& line, std::map<std::string, std::string>* fields,
                    std::string* error);

 private:
  JsonLine& integer(const std::string& key, long long value);

  std::string mKind;
  std::string mBody;
};

#endif
