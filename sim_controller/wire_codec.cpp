#include "wire_codec.h"

#include <cstdlib>

namespace {
const char kHex[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::string WireCodec::escape(const std::string& text) {
  if (text.empty()) return "%-";
  std::string out;
  for (unsigned char c : text) {
    if (c <= ' ' || c == '%' || c == 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool WireCodec::unescape(const std::string& word, std::string& text) {
  text.clear();
  if (word == "%-") return true;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] != '%') {
      text += word[i];
      continue;
    }
    if (i + 2 >= word.size()) return false;
    int hi = hexValue(word[i + 1]), lo = hexValue(word[i + 2]);
    if (hi < 0 || lo < 0) return false;
    text += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

std::vector<std::string> WireCodec::split(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool WireCodec::parseInt(const std::string& word, int64_t min, int64_t max, int64_t& value) {
  if (word.empty()) return false;
  const char* begin = word.c_str();
  char* end = nullptr;
  bool negative = word[0] == '-';
  const char* digits = begin + (negative || word[0] == '+' ? 1 : 0);
  int base = (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) ? 16 : 10;
  if (base == 16) digits += 2;
  if (*digits == '\0' || *digits == '-' || *digits == '+' || *digits == ' ') return false;
  long long v = std::strtoll(digits, &end, base);
  if (end == digits || *end != '\0') return false;
  if (negative) v = -v;
  if (v < min || v > max) return false;
  value = v;
  return true;
}
