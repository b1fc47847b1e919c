#include "journal_condition.h"

#include <cstdlib>

#include "json_line.h"

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
    if (t.op == "!=") {
      if (it != event.end() && it->second == t.value) return false;
      continue;
    }
    if (it == event.end()) return false;
    const std::string& v = it->second;
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
  for (const Term& t : mTerms) s += (s.empty() ? "" : " ") + t.key + t.op + t.value;
  return s;
}
