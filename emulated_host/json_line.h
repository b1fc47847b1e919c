// One journal event as a flat JSON object, and the reader for such lines.
#ifndef KX_EMULATED_HOST_JSON_LINE_H
#define KX_EMULATED_HOST_JSON_LINE_H

#include <map>
#include <string>

class JsonLine {
 public:
  explicit JsonLine(const std::string& kind);

  JsonLine& str(const std::string& key, const std::string& value);
  JsonLine& num(const std::string& key, long long value);
  JsonLine& real(const std::string& key, double value);
  JsonLine& flag(const std::string& key, bool value);
  JsonLine& matrix(const std::string& key, const double m[4][4]);

  const std::string& kind() const { return mKind; }
  // The object with the timestamp first, then "ev", then the fields in the order added.
  std::string text(long long timeMs) const;

  static std::string quote(const std::string& s);
  // Reads one object; nested values are kept as their raw text, strings are unescaped.
  static bool parse(const std::string& line, std::map<std::string, std::string>* fields,
                    std::string* error);

 private:
  std::string mKind;
  std::string mBody;
};

#endif
