#include "scenarios/scenario.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "api/host_session.h"
#include "app/text_file.h"

namespace {

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

using Args = std::vector<std::string>;

bool fail(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

bool checkModelType(ScenarioStep* s, std::string* error) {
  int v = 0;
  if (oneOf(s->args[0], {"part", "assembly", "drawing"}) || HostSession::modeCode(s->args[0], &v))
    return true;
  return fail(error, "model type must be part, assembly, drawing or a mode code 0 to " +
                         std::to_string(HostSession::kMaxModeCode) + ", got \"" + s->args[0] +
                         "\"");
}

bool checkWindowId(ScenarioStep* s, std::string* error) {
  int v = 0;
  return toInt(s->args[0], &v) ||
         fail(error, "window id must be a number, got \"" + s->args[0] + "\"");
}

bool checkSketch(ScenarioStep* s, std::string* error) {
  return oneOf(s->args[0], {"on", "off"}) ||
         fail(error, "sketch takes on or off, got \"" + s->args[0] + "\"");
}

bool checkPopup(ScenarioStep* s, std::string* error) {
  return oneOf(s->args[0], {"open", "close"}) ||
         fail(error, "popup takes open or close, got \"" + s->args[0] + "\"");
}

bool checkPointer(ScenarioStep* s, std::string* error) {
  const Args& a = s->args;
  if (!oneOf(a[0], {"tree", "list", "toolbar", "graphics", "dialog", "menubar", "outside",
                    "gallery", "listview", "edit", "treeview", "gxwnd", "drawarea", "toolkit-list",
                    "toolkit-tree", "browser", "decoy", "group"}))
    return fail(error, "unknown control \"" + a[0] +
                           "\" (tree, list, toolbar, graphics, dialog, menubar, outside, gallery, "
                           "listview, edit, treeview, gxwnd, drawarea, toolkit-list, toolkit-tree, "
                           "browser, decoy, group)");
  // An offset from the control's top-left corner, in pixels.
  int v = 0;
  if (a.size() != 1 && (a.size() != 3 || a[0] == "outside" || !toInt(a[1], &v) || v < 0 ||
                        !toInt(a[2], &v) || v < 0))
    return fail(error, "pointer takes a control and optionally an offset of two numbers from 0 up");
  return true;
}

bool checkForeground(ScenarioStep* s, std::string* error) {
  return oneOf(s->args[0], {"main", "dialog", "other", "gallery"}) ||
         fail(error, "foreground takes main, dialog, gallery or other, got \"" + s->args[0] + "\"");
}

bool checkNav(ScenarioStep* s, std::string* error) {
  int v = 0;
  for (const std::string& x : s->args)
    if (!toInt(x, &v)) return fail(error, "nav takes six integers, got \"" + x + "\"");
  return true;
}

bool checkDaemonStart(ScenarioStep* s, std::string* error) {
  const Args& a = s->args;
  int journals = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != "--journal") continue;
    if (++journals > 1 || i + 1 == a.size() || a[i + 1].empty())
      return fail(error, "daemon-start takes one --journal with a file name");
  }
  return true;
}

bool checkCopyFile(ScenarioStep* s, std::string* error) {
  for (const std::string& path : s->args)
    if (path.size() < 3 || (path[1] != ':' && path[0] != '%'))
      return fail(error, "copy-file takes two full paths (or ones that start with %NAME%), got \"" +
                             path + "\"");
  return true;
}

bool checkWait(ScenarioStep* s, std::string* error) {
  return (toInt(s->args[0], &s->limitMs) && s->limitMs >= 0) ||
         fail(error, "wait takes milliseconds, got \"" + s->args[0] + "\"");
}

// Numbers: an axis and an angle in degrees, then a point (placement); an axis, an angle and a
// scale (view); a distance and a tolerance (expect-distance).
bool checkNumbers(ScenarioStep* s, std::string* error) {
  const Args& a = s->args;
  const size_t first = s->verb == "view" ? 0 : s->verb == "placement" ? 1 : 2;
  double x = 0;
  for (size_t i = first; i < a.size(); ++i)
    if (!toReal(a[i], &x))
      return fail(error, s->verb + " takes numbers here, got \"" + a[i] + "\"");
  if (s->verb == "view" && a.size() == 5 && std::stod(a[4]) <= 0)
    return fail(error, "view needs a scale above 0, got \"" + a[4] + "\"");
  if (s->verb == "expect-distance") {
    return std::stod(a[3]) >= 0 ||
           fail(error, "expect-distance needs a tolerance of 0 or more, got \"" + a[3] + "\"");
  }
  double len = 0;
  for (size_t i = first; i < first + 3; ++i) len += std::stod(a[i]) * std::stod(a[i]);
  return len != 0 || fail(error, s->verb + " needs an axis of some length, got 0 0 0");
}

bool checkExpectStill(ScenarioStep* s, std::string* error) {
  return (toInt(s->args[1], &s->limitMs) && s->limitMs > 0) ||
         fail(error, "expect-still takes milliseconds, got \"" + s->args[1] + "\"");
}

// A condition on the host's or the daemon's journal, after a time limit or a count.
bool checkCondition(ScenarioStep* s, std::string* error) {
  Args terms = s->args;
  if (!terms.empty() && (terms[0] == "host" || terms[0] == "daemon")) {
    s->daemonJournal = terms[0] == "daemon";
    terms.erase(terms.begin());
  }
  s->limitMs = 5000;
  if (s->verb == "wait-until" && terms.size() >= 2 && terms[0] == "within") {
    if (!toInt(terms[1], &s->limitMs) || s->limitMs <= 0)
      return fail(error, "within takes milliseconds, got \"" + terms[1] + "\"");
    terms.erase(terms.begin(), terms.begin() + 2);
  }
  if (s->verb == "expect-count") {
    if (terms.empty() || !toInt(terms[0], &s->count) || s->count < 0)
      return fail(error,
                  "expect-count needs a count, got \"" + (terms.empty() ? "" : terms[0]) + "\"");
    terms.erase(terms.begin());
  }
  return s->condition.parse(terms, error);
}

// Each verb: its number of arguments (max -1: any) and the check of their values.
struct VerbRule {
  int min;
  int max;
  bool (*check)(ScenarioStep* s, std::string* error);
};

const std::map<std::string, VerbRule>& verbs() {
  static const std::map<std::string, VerbRule> kVerbs = {
      {"open", {2, 2, checkModelType}},
      {"new", {2, 2, checkModelType}},
      {"window", {1, 1, checkWindowId}},
      {"close-window", {1, 1, checkWindowId}},
      {"sketch", {1, 1, checkSketch}},
      {"select", {1, 1, nullptr}},
      {"select-item", {1, 1, nullptr}},
      {"select-clear", {0, 0, nullptr}},
      {"pointer", {1, 3, checkPointer}},
      {"foreground", {1, 1, checkForeground}},
      {"menu", {2, 2, nullptr}},
      {"menu-open", {1, 1, nullptr}},
      {"keys", {1, 1, nullptr}},
      {"popup", {1, 1, checkPopup}},
      {"command", {1, 2, nullptr}},
      {"edit", {1, 1, nullptr}},
      {"nav", {6, 6, checkNav}},
      {"wait", {1, 1, checkWait}},
      {"wait-until", {1, -1, checkCondition}},
      {"expect", {1, -1, checkCondition}},
      {"expect-none", {1, -1, checkCondition}},
      {"expect-count", {2, -1, checkCondition}},
      {"screenshot", {1, 2, nullptr}},
      {"daemon-start", {0, -1, checkDaemonStart}},
      {"daemon-kill", {0, 0, nullptr}},
      {"daemon", {1, -1, nullptr}},
      {"plugin-stop", {1, 1, nullptr}},
      {"plugin-start", {1, 1, nullptr}},
      {"scroll-state", {0, 0, nullptr}},
      {"process-counts", {0, 0, nullptr}},
      {"window-silent", {1, 1, checkWindowId}},
      {"replace-graphics", {0, 0, nullptr}},
      {"placement", {8, 8, checkNumbers}},
      {"view", {4, 5, checkNumbers}},
      {"expect-distance", {4, 4, checkNumbers}},
      {"expect-still", {2, 2, checkExpectStill}},
      {"copy-file", {2, 2, checkCopyFile}},
  };
  return kVerbs;
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
  const auto it = verbs().find(s->verb);
  if (it == verbs().end()) return fail(error, "unknown step \"" + s->verb + "\"");
  const VerbRule& rule = it->second;
  const int n = static_cast<int>(s->args.size());
  if (n < rule.min || (rule.max >= 0 && n > rule.max)) {
    return fail(error, "\"" + s->verb + "\" takes " +
                           (rule.min == rule.max ? std::to_string(rule.min)
                                                 : std::to_string(rule.min) + " or more") +
                           " argument(s), got " + std::to_string(n));
  }
  return !rule.check || rule.check(s, error);
}
