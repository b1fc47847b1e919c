#include "json_line.h"

#include <cstdio>

JsonLine::JsonLine(const std::string& kind) : mKind(kind) {}

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
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04x", c);
          out += code;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

JsonLine& JsonLine::str(const std::string& key, const std::string& value) {
  mBody += "," + quote(key) + ":" + quote(value);
  return *this;
}

JsonLine& JsonLine::integer(const std::string& key, long long value) {
  mBody += "," + quote(key) + ":" + std::to_string(value);
  return *this;
}

JsonLine& JsonLine::real(const std::string& key, double value) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", value);
  mBody += "," + quote(key) + ":" + buf;
  return *this;
}

JsonLine& JsonLine::flag(const std::string& key, bool value) {
  mBody += "," + quote(key) + ":" + (value ? "true" : "false");
  return *this;
}

JsonLine& JsonLine::matrix(const std::string& key, const double m[4][4]) {
  std::string v = "[";
  char buf[40];
  for (int r = 0; r < 4; ++r) {
    v += r ? ",[" : "[";
    for (int c = 0; c < 4; ++c) {
      std::snprintf(buf, sizeof buf, "%s%.9g", c ? "," : "", m[r][c]);
      v += buf;
    }
    v += "]";
  }
  mBody += "," + quote(key) + ":" + v + "]";
  return *this;
}

JsonLine& JsonLine::ints(const std::string& key, const int16_t* values, int count) {
  std::string v = "[";
  for (int i = 0; i < count; ++i) v += (i ? "," : "") + std::to_string(values[i]);
  mBody += "," + quote(key) + ":" + v + "]";
  return *this;
}

std::string JsonLine::text(long long timeMs) const {
  return "{\"t\":" + std::to_string(timeMs) + ",\"ev\":" + quote(mKind) + mBody + "}";
}

namespace {

void skipSpace(const std::string& s, size_t* i) {
  while (*i < s.size() && (s[*i] == ' ' || s[*i] == '\t' || s[*i] == '\r' || s[*i] == '\n')) ++*i;
}

bool readString(const std::string& s, size_t* i, std::string* out) {
  if (*i >= s.size() || s[*i] != '"') return false;
  ++*i;
  out->clear();
  while (*i < s.size()) {
    char c = s[(*i)++];
    if (c == '"') return true;
    if (c != '\\') {
      *out += c;
      continue;
    }
    if (*i >= s.size()) return false;
    char e = s[(*i)++];
    switch (e) {
      case 'n':
        *out += '\n';
        break;
      case 'r':
        *out += '\r';
        break;
      case 't':
        *out += '\t';
        break;
      case 'b':
        *out += '\b';
        break;
      case 'f':
        *out += '\f';
        break;
      case 'u': {
        if (*i + 4 > s.size()) return false;
        unsigned code = std::stoul(s.substr(*i, 4), nullptr, 16);
        *i += 4;
        // Journals here are ASCII; anything wider is kept as a marker rather than decoded.
        *out += code < 0x80 ? static_cast<char>(code) : '?';
        break;
      }
      default:
        *out += e;
    }
  }
  return false;
}

// Skips one value of any kind and returns its raw text.
bool readRaw(const std::string& s, size_t* i, std::string* out) {
  size_t start = *i;
  int depth = 0;
  while (*i < s.size()) {
    char c = s[*i];
    if (c == '"') {
      std::string ignored;
      if (!readString(s, i, &ignored)) return false;
      continue;
    }
    if (c == '[' || c == '{') ++depth;
    if (c == ']' || c == '}') {
      if (depth == 0) break;
      --depth;
    }
    if (c == ',' && depth == 0) break;
    ++*i;
  }
  if (depth != 0) return false;
  *out = s.substr(start, *i - start);
  while (!out->empty() && (out->back() == ' ' || out->back() == '\t')) out->pop_back();
  return !out->empty();
}

}  // namespace

bool JsonLine::parse(const std::string& line, std::map<std::string, std::string>* fields,
                     std::string* error) {
  fields->clear();
  size_t i = 0;
  skipSpace(line, &i);
  if (i >= line.size() || line[i] != '{') {
    *error = "not a JSON object";
    return false;
  }
  ++i;
  skipSpace(line, &i);
  if (i < line.size() && line[i] == '}') return true;
  while (i < line.size()) {
    std::string key;
    skipSpace(line, &i);
    if (!readString(line, &i, &key)) {
      *error = "bad key at column " + std::to_string(i + 1);
      return false;
    }
    skipSpace(line, &i);
    if (i >= line.size() || line[i] != ':') {
      *error = "missing ':' at column " + std::to_string(i + 1);
      return false;
    }
    ++i;
    skipSpace(line, &i);
    std::string value;
    if (i < line.size() && line[i] == '"') {
      if (!readString(line, &i, &value)) {
        *error = "unterminated string at column " + std::to_string(i + 1);
        return false;
      }
    } else if (!readRaw(line, &i, &value)) {
      *error = "bad value at column " + std::to_string(i + 1);
      return false;
    }
    (*fields)[key] = value;
    skipSpace(line, &i);
    if (i < line.size() && line[i] == ',') {
      ++i;
      continue;
    }
    if (i < line.size() && line[i] == '}') return true;
    *error = "expected ',' or '}' at column " + std::to_string(i + 1);
    return false;
  }
  *error = "unterminated object";
  return false;
}
