#include "api/macro_text.h"

namespace {

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool MacroText::parseStep(const std::string& raw, MacroStep* out, std::string* error) {
  std::string step = trim(raw);
  if (!step.empty() && step.back() == ';') step = trim(step.substr(0, step.size() - 1));
  out->text = step;
  out->args.clear();
  static const std::string kLabel = "@MAPKEY_LABEL";
  static const std::string kName = "@MAPKEY_NAME";
  if (step.compare(0, kLabel.size(), kLabel) == 0 || step.compare(0, kName.size(), kName) == 0) {
    out->kind = MacroStep::kLabel;
    out->args.push_back(step.substr(step[8] == 'L' ? kLabel.size() : kName.size()));
    return true;
  }
  if (step.empty() || step[0] != '~') {
    *error = "step does not start with '~': \"" + step + "\"";
    return false;
  }
  size_t i = 1;
  while (i < step.size() && step[i] == ' ') ++i;
  size_t verbEnd = step.find_first_of(" `", i);
  std::string verb = step.substr(i, verbEnd == std::string::npos ? std::string::npos : verbEnd - i);
  i = verbEnd == std::string::npos ? step.size() : verbEnd;
  while (i < step.size()) {
    if (step[i] == ' ' || step[i] == '\t') {
      ++i;
      continue;
    }
    if (step[i] != '`') {
      *error = "text outside backquotes in \"" + step + "\"";
      return false;
    }
    size_t close = step.find('`', i + 1);
    if (close == std::string::npos) {
      *error = "unclosed backquote in \"" + step + "\"";
      return false;
    }
    out->args.push_back(step.substr(i + 1, close - i - 1));
    i = close + 1;
  }
  if (verb == "Command") {
    out->kind = MacroStep::kCommand;
    if (out->args.empty() || out->args.size() > 2 || out->args[0].empty()) {
      *error = "Command takes a name and at most one argument: \"" + step + "\"";
      return false;
    }
    return true;
  }
  if (verb == "Update") {
    out->kind = MacroStep::kUpdate;
    if (out->args.size() != 3) {
      *error = "Update takes a dialog, a field and a value: \"" + step + "\"";
      return false;
    }
    return true;
  }
  *error = "unknown macro verb '" + verb + "'";
  return false;
}

bool MacroText::parse(const std::string& text, std::vector<MacroStep>* steps, std::string* error) {
  steps->clear();
  std::string current;
  bool quoted = false;
  auto flush = [&]() {
    if (trim(current).empty()) {
      current.clear();
      return true;
    }
    MacroStep step;
    if (!parseStep(current, &step, error)) return false;
    steps->push_back(step);
    current.clear();
    return true;
  };
  for (char c : text) {
    if (c == '`') quoted = !quoted;
    if (c == ';' && !quoted) {
      if (!flush()) return false;
      continue;
    }
    current += c;
  }
  if (quoted) {
    *error = "unclosed backquote";
    return false;
  }
  if (!flush()) return false;
  if (steps->empty()) {
    *error = "no macro steps";
    return false;
  }
  return true;
}
