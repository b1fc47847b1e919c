#include "report_text.h"

#include "registry_text.h"

namespace {

// The text's lines with LF ends whatever they had; nothing else is changed.
std::string withLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}

std::string crLf(const std::string& lfText) {
  std::string out;
  out.reserve(lfText.size() + lfText.size() / 16);
  for (char c : lfText) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string section(const std::string& title, const std::string& path, const std::string* bytes,
                    const std::string& body) {
  std::string text = "\n===== " + title + ": " + path + " =====\n";
  return text + (bytes ? body : "(not there)\n");
}

std::string firstLines(const std::string& text, size_t count) {
  size_t at = 0;
  for (size_t i = 0; i < count && at != std::string::npos; ++i) {
    at = text.find('\n', at);
    if (at != std::string::npos) ++at;
  }
  if (at == std::string::npos || at >= text.size()) return text;
  return text.substr(0, at) + "(" + std::to_string(text.size() - at) + " more bytes)\n";
}

// The end of the text, cut at a line start.
std::string lastBytes(const std::string& text, size_t count) {
  if (text.size() <= count) return text;
  size_t at = text.find('\n', text.size() - count);
  at = at == std::string::npos ? text.size() - count : at + 1;
  return "(" + std::to_string(at) + " earlier bytes left out)\n" + text.substr(at);
}

std::string entryText(const std::string& registry) {
  bool isEnded = false;
  std::string text;
  for (const registry_text::EntryLine& line :
       registry_text::entryNamed(registry, registry_text::kAppName, &isEnded))
    text += std::to_string(line.line) + ": " + line.keyword + " " + line.value + "\n";
  if (text.empty()) return "(no entry named " + std::string(registry_text::kAppName) + ")\n";
  return text + (isEnded ? "end\n" : "(no end line)\n");
}

}  // namespace

std::string reportText(const ReportParts& p) {
  std::string text = "Korvex plug-in for PTC Creo, setup tool " + p.mVersion + ": support report\n";
  text += "\n===== Check =====\n" + withLf(p.mCheck);
  text += section(
      "Settings file", p.mSettingsPath, p.mSettings.get(),
      p.mSettings ? firstLines(withLf(*p.mSettings), 200).substr(0, ReportParts::kFileBytes) : "");
  text += section("Registry entry", p.mRegistryPath, p.mRegistry.get(),
                  p.mRegistry ? entryText(*p.mRegistry) : "");
  text += section("Menu file, its first lines", p.mMenuPath, p.mMenu.get(),
                  p.mMenu ? firstLines(withLf(*p.mMenu), ReportParts::kMenuHeadLines) : "");
  text += section("Log, its end", p.mLogPath, p.mLog.get(),
                  p.mLog ? lastBytes(withLf(*p.mLog), ReportParts::kLogTailBytes) : "");
  return crLf(text);
}
