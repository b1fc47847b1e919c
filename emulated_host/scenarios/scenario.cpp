#include "scenarios/scenario.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "api/host_session.h"
#include "app/text_file.h"

namespace {

struct Arity {
  int min;
  int max;  // -1: any
};

const std::map<std::string, Arity>& verbs() {
  static const std::map<std::string, Arity> kVerbs = {
      {"open", {2, 2}},
      {"new", {2, 2}},
      {"window", {1, 1}},
      {"close-window", {1, 1}},
      {"sketch", {1, 1}},
      {"select", {1, 1}},
      {"select-item", {1, 1}},
      {"select-clear", {0, 0}},
      {"pointer", {1, 3}},
      {"foreground", {1, 1}},
      {"menu", {2, 2}},
      {"menu-open", {1, 1}},
      {"keys", {1, 1}},
      {"popup", {1, 1}},
      {"command", {1, 2}},
      {"edit", {1, 1}},
      {"nav", {6, 6}},
      {"wait", {1, 1}},
      {"wait-until", {1, -1}},
      {"expect", {1, -1}},
      {"expect-none", {1, -1}},
      {"expect-count", {2, -1}},
      {"screenshot", {1, 2}},
      {"daemon-start", {0, -1}},
      {"daemon-kill", {0, 0}},
      {"daemon", {1, -1}},
      {"plugin-stop", {1, 1}},
      {"plugin-start", {1, 1}},
      {"scroll-state", {0, 0}},
      {"process-counts", {0, 0}},
      {"window-silent", {1, 1}},
      {"replace-graphics", {0, 0}},
      {"placement", {8, 8}},
      {"view", {4, 5}},
      {"expect-distance", {4, 4}},
      {"expect-still", {2, 2}},
      {"copy-file", {2, 2}},
  };
  return kVerbs;
}

bool toInt(const std::string& s, int* out) {
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end) return false;
  *out = static_cast<int>(v);
  return true;
}

bool toReal(const std::string& s, double* out) {
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool oneOf(const std::string& v, std::initializer_list<const char*> allowed) {
  for (const char* a : allowed)
    if (v == a) return true;
  return false;
}

}  // namespace

std::vector<std::string> Scenario::knownVerbs() {
  std::vector<std::string> names;
  for (const auto& v : verbs()) names.push_back(v.first);
  return names;
}

bool Scenario::tokenize(const std::string& line, std::vector<std::string>* out,
                        std::string* error) {
  out->clear();
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    std::string tok;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
          tok += line[i++];
        } else if (c == '"') {
          closed = true;
          break;
        } else {
          tok += c;
        }
      }
      if (!closed) {
        *error = "unclosed quote";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        tok += line[i++];
    }
    out->push_back(tok);
  }
  return true;
}

bool Scenario::load(const std::string& path, std::string* error) {
  std::string text;
  return readTextFile(path, "scenario", &text, error) && parse(text, path, error);
}

bool Scenario::parse(const std::string& text, const std::string& fileName, std::string* error) {
  // Editors on Windows like to start text files with a byte-order mark.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) return parse(text.substr(3), fileName, error);
  mSteps.clear();
  mFile = fileName;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    ScenarioStep step;
    step.line = lineNo;
    std::vector<std::string> tokens;
    std::string why;
    if (!tokenize(line, &tokens, &why)) {
      *error = fileName + ":" + std::to_string(lineNo) + ": " + why;
      return false;
    }
    step.verb = tokens[0];
    step.args.assign(tokens.begin() + 1, tokens.end());
    size_t verbEnd = line.find_first_of(" \t", first);
    if (verbEnd != std::string::npos) {
      size_t restStart = line.find_first_not_of(" \t", verbEnd);
      if (restStart != std::string::npos) step.rest = line.substr(restStart);
    }
    if (!parseStep(&step, &why)) {
      *error = fileName + ":" + std::to_string(lineNo) + ": " + why;
      return false;
    }
    mSteps.push_back(step);
  }
  return true;
}

bool Scenario::parseStep(ScenarioStep* s, std::string* error) {
  auto it = verbs().find(s->verb);
  if (it == verbs().end()) {
    *error = "unknown step \"" + s->verb + "\"";
    return false;
  }
  int n = static_cast<int>(s->args.size());
  if (n < it->second.min || (it->second.max >= 0 && n > it->second.max)) {
    *error = "\"" + s->verb + "\" takes " +
             (it->second.min == it->second.max ? std::to_string(it->second.min)
                                               : std::to_string(it->second.min) + " or more") +
             " argument(s), got " + std::to_string(n);
    return false;
  }
  const std::vector<std::string>& a = s->args;
  int v = 0;
  if ((s->verb == "open" || s->verb == "new") && !oneOf(a[0], {"part", "assembly", "drawing"}) &&
      !HostSession::modeCode(a[0], &v)) {
    *error = "model type must be part, assembly, drawing or a mode code 0 to " +
             std::to_string(HostSession::kMaxModeCode) + ", got \"" + a[0] + "\"";
    return false;
  }
  if ((s->verb == "window" || s->verb == "close-window" || s->verb == "window-silent") &&
      !toInt(a[0], &v)) {
    *error = "window id must be a number, got \"" + a[0] + "\"";
    return false;
  }
  if (s->verb == "sketch" && !oneOf(a[0], {"on", "off"})) {
    *error = "sketch takes on or off, got \"" + a[0] + "\"";
    return false;
  }
  if (s->verb == "popup" && !oneOf(a[0], {"open", "close"})) {
    *error = "popup takes open or close, got \"" + a[0] + "\"";
    return false;
  }
  if (s->verb == "pointer" &&
      !oneOf(a[0], {"tree", "list", "toolbar", "graphics", "dialog", "menubar", "outside",
                    "gallery", "listview", "edit", "treeview", "gxwnd", "drawarea", "toolkit-list",
                    "toolkit-tree", "browser", "decoy", "group"})) {
    *error = "unknown control \"" + a[0] +
             "\" (tree, list, toolbar, graphics, dialog, menubar, outside, gallery, listview, "
             "edit, treeview, gxwnd, drawarea, toolkit-list, toolkit-tree, browser, decoy, group)";
    return false;
  }
  // An offset from the control's top-left corner, in pixels.
  if (s->verb == "pointer" && a.size() != 1 &&
      (a.size() != 3 || a[0] == "outside" || !toInt(a[1], &v) || v < 0 || !toInt(a[2], &v) ||
       v < 0)) {
    *error = "pointer takes a control and optionally an offset of two numbers from 0 up";
    return false;
  }
  if (s->verb == "foreground" && !oneOf(a[0], {"main", "dialog", "other", "gallery"})) {
    *error = "foreground takes main, dialog, gallery or other, got \"" + a[0] + "\"";
    return false;
  }
  if (s->verb == "nav") {
    for (const std::string& x : a)
      if (!toInt(x, &v)) {
        *error = "nav takes six integers, got \"" + x + "\"";
        return false;
      }
  }
  if (s->verb == "daemon-start") {
    int journals = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      if (a[i] != "--journal") continue;
      if (++journals > 1 || i + 1 == a.size() || a[i + 1].empty()) {
        *error = "daemon-start takes one --journal with a file name";
        return false;
      }
    }
  }
  if (s->verb == "copy-file") {
    for (const std::string& path : a)
      if (path.size() < 3 || (path[1] != ':' && path[0] != '%')) {
        *error =
            "copy-file takes two full paths (or ones that start with %NAME%), got \"" + path + "\"";
        return false;
      }
  }
  if (s->verb == "wait" && (!toInt(a[0], &s->limitMs) || s->limitMs < 0)) {
    *error = "wait takes milliseconds, got \"" + a[0] + "\"";
    return false;
  }
  // Numbers: an axis and an angle in degrees, then a point (placement); an axis, an angle and a
  // scale (view); a distance and a tolerance (expect-distance); milliseconds (expect-still).
  if (s->verb == "placement" || s->verb == "view" || s->verb == "expect-distance") {
    size_t first = s->verb == "view" ? 0 : s->verb == "placement" ? 1 : 2;
    double x = 0;
    for (size_t i = first; i < a.size(); ++i)
      if (!toReal(a[i], &x)) {
        *error = s->verb + " takes numbers here, got \"" + a[i] + "\"";
        return false;
      }
    if (s->verb == "view" && a.size() == 5 && std::stod(a[4]) <= 0) {
      *error = "view needs a scale above 0, got \"" + a[4] + "\"";
      return false;
    }
    if (s->verb != "expect-distance") {
      double len = 0;
      for (size_t i = first; i < first + 3; ++i) len += std::stod(a[i]) * std::stod(a[i]);
      if (len == 0) {
        *error = s->verb + " needs an axis of some length, got 0 0 0";
        return false;
      }
    } else if (std::stod(a[3]) < 0) {
      *error = "expect-distance needs a tolerance of 0 or more, got \"" + a[3] + "\"";
      return false;
    }
    return true;
  }
  if (s->verb == "expect-still") {
    if (!toInt(a[1], &s->limitMs) || s->limitMs <= 0) {
      *error = "expect-still takes milliseconds, got \"" + a[1] + "\"";
      return false;
    }
    return true;
  }
  if (s->verb == "wait-until" || s->verb.compare(0, 6, "expect") == 0) {
    std::vector<std::string> terms = a;
    if (!terms.empty() && (terms[0] == "host" || terms[0] == "daemon")) {
      s->daemonJournal = terms[0] == "daemon";
      terms.erase(terms.begin());
    }
    s->limitMs = 5000;
    if (s->verb == "wait-until" && terms.size() >= 2 && terms[0] == "within") {
      if (!toInt(terms[1], &s->limitMs) || s->limitMs <= 0) {
        *error = "within takes milliseconds, got \"" + terms[1] + "\"";
        return false;
      }
      terms.erase(terms.begin(), terms.begin() + 2);
    }
    if (s->verb == "expect-count") {
      if (terms.empty() || !toInt(terms[0], &s->count) || s->count < 0) {
        *error = "expect-count needs a count, got \"" + (terms.empty() ? "" : terms[0]) + "\"";
        return false;
      }
      terms.erase(terms.begin());
    }
    if (!s->condition.parse(terms, error)) return false;
  }
  return true;
}
