// The host's macro language as mapkeys, ProMacroLoad and trail files use it: steps separated by
// ';', each "~ Command `name` [`arg`]", "~ Update `dialog` `field` `value`" or "@MAPKEY_LABEL...".
#ifndef KX_EMULATED_HOST_MACRO_TEXT_H
#define KX_EMULATED_HOST_MACRO_TEXT_H

#include <string>
#include <vector>

struct MacroStep {
  enum Kind { kCommand, kUpdate, kLabel };
  Kind kind = kCommand;
  std::vector<std::string> args;  // command [arg] | dialog field value | label text
  std::string text;               // the step as written, trimmed
};

class MacroText {
 public:
  // Splits at ';' outside backquotes; a step that is not understood fails the whole text.
  static bool parse(const std::string& text, std::vector<MacroStep>* steps, std::string* error);
  // One step without the separator, as trail files hold them.
  static bool parseStep(const std::string& step, MacroStep* out, std::string* error);
};

#endif
