#include "scenarios/journal_condition.h"

#include <cmath>
#include <cstdlib>

#include "json_line.h"

namespace {

bool toNumber(const std::string& text, double* out) {
  char* end = nullptr;
  *out = std::strtod(text.c_str(), &end);
  return !text.empty() && !*end;
}

// The entry of a nested array value (numbers only) at the indices; false when there is none.
bool arrayEntry(const std::string& text, const std::vector<int>& indices, std::string* out) {
  std::string current = text;
  for (int wanted : indices) {
    if (current.empty() || current[0] != '[') return false;
    int depth = 0;
    int index = 0;
    size_t start = 1;
    bool found = false;
    for (size_t i = 1; i < current.size() && !found; ++i) {
      const char c = current[i];
      const bool ends = (c == ']' && depth == 0) || (c == ',' && depth == 0);
      if (ends) {
        if (index == wanted) {
          current = current.substr(start, i - start);
          found = true;
        } else if (c == ']') {
          return false;
        }
        ++index;
        start = i + 1;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        --depth;
      }
    }
    if (!found) return false;
    while (!current.empty() && current[0] == ' ') current.erase(0, 1);
  }
  *out = current;
  return !current.empty();
}

}  // namespace

bool JournalCondition::parse(const std::vector<std::string>& terms, std::string* error) {
  mTerms.clear();
  if (terms.empty()) {
    *error = "a condition needs at least one key=value term";
    return false;
  }
  for (const std::string& t : terms) {
    size_t pos = t.find_first_of("=!~<>");
    if (pos == std::string::npos || pos == 0) {
      *error = "bad condition term \"" + t + "\" (key=value, key!=value, key~text, key>n, key<n)";
      return false;
    }
    Term term;
    term.key = t.substr(0, pos);
    if (t.compare(pos, 2, "!=") == 0) {
      term.op = "!=";
    } else if (t[pos] == '!') {
      *error = "bad condition term \"" + t + "\"";
      return false;
    } else {
      term.op = t.substr(pos, 1);
    }
    term.value = t.substr(pos + term.op.size());
    const size_t bracket = term.key.find('[');
    if (bracket != std::string::npos) {
      std::string rest = term.key.substr(bracket);
      term.key.erase(bracket);
      while (!rest.empty()) {
        const size_t close = rest.find(']');
        int index = -1;
        char* end = nullptr;
        if (rest[0] == '[' && close != std::string::npos && close > 1) {
          index = static_cast<int>(std::strtol(rest.c_str() + 1, &end, 10));
        }
        if (term.key.empty() || index < 0 || end != rest.c_str() + close) {
          *error = "bad index in \"" + t + "\" (key[row][column], numbers from 0)";
          return false;
        }
        term.indices.push_back(index);
        rest.erase(0, close + 1);
      }
    }
    const size_t plusMinus = term.value.find("+-");
    if (plusMinus != std::string::npos) {
      if ((term.op != "=" && term.op != "!=") ||
          !toNumber(term.value.substr(0, plusMinus), &term.number) ||
          !toNumber(term.value.substr(plusMinus + 2), &term.tolerance) || term.tolerance < 0) {
        *error = "\"" + t +
                 "\" needs key=number+-tolerance or key!=number+-tolerance (a tolerance of 0 or "
                 "more)";
        return false;
      }
      term.hasTolerance = true;
    }
    if (term.op == "<" || term.op == ">") {
      char* end = nullptr;
      std::strtod(term.value.c_str(), &end);
      if (term.value.empty() || *end) {
        *error = "\"" + t + "\" compares with something that is not a number";
        return false;
      }
    }
    mTerms.push_back(term);
  }
  return true;
}

bool JournalCondition::matches(const std::map<std::string, std::string>& event) const {
  for (const Term& t : mTerms) {
    auto it = event.find(t.key);
    std::string entry;
    const bool isThere =
        it != event.end() && (t.indices.empty() || arrayEntry(it->second, t.indices, &entry));
    const std::string& v = !isThere || !t.indices.empty() ? entry : it->second;
    double d = 0;
    const bool isWithin =
        t.hasTolerance && isThere && toNumber(v, &d) && std::fabs(d - t.number) <= t.tolerance;
    if (t.op == "!=") {
      if (t.hasTolerance ? isWithin : isThere && v == t.value) return false;
      continue;
    }
    if (!isThere) return false;
    if (t.hasTolerance) {
      if (!isWithin) return false;
      continue;
    }
    if (t.op == "=" && v != t.value) return false;
    if (t.op == "~" && v.find(t.value) == std::string::npos) return false;
    if (t.op == "<" || t.op == ">") {
      char* end = nullptr;
      double d = std::strtod(v.c_str(), &end);
      if (v.empty() || *end) return false;
      double limit = std::strtod(t.value.c_str(), nullptr);
      if (t.op == "<" ? !(d < limit) : !(d > limit)) return false;
    }
  }
  return true;
}

int JournalCondition::count(const std::vector<std::string>& lines) const {
  int n = 0;
  std::map<std::string, std::string> fields;
  std::string error;
  for (const std::string& l : lines)
    if (JsonLine::parse(l, &fields, &error) && matches(fields)) ++n;
  return n;
}

int JournalCondition::first(const std::vector<std::string>& lines) const {
  std::map<std::string, std::string> fields;
  std::string error;
  for (size_t i = 0; i < lines.size(); ++i)
    if (JsonLine::parse(lines[i], &fields, &error) && matches(fields)) return static_cast<int>(i);
  return -1;
}

std::string JournalCondition::text() const {
  std::string s;
  for (const Term& t : mTerms) {
    std::string key = t.key;
    for (int i : t.indices) key += "[" + std::to_string(i) + "]";
    s += (s.empty() ? "" : " ") + key + t.op + t.value;
  }
  return s;
}
