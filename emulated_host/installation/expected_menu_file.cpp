// The menu file a catalogue build must write, worked out from what this tool put into the DLLs,
// not by reading them back.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "code_pages.h"
#include "installation_model.h"

namespace {

struct Record {
  std::string key, command, label, help;
};
using Filed = std::map<std::string, std::vector<Record>>;  // pane name -> its records

// Every command text with a label, filed under each pane whose layout mentions its key; the
// command is spelled as the first such layout spells it.
Filed fileRecords(const Installation& inst, const std::vector<CommandText>& texts, bool english,
                  int codePage) {
  std::map<std::string, std::string> panes;  // name -> upper-case text, first one wins
  std::map<std::string, std::string> paneTexts;
  auto addPane = [&](const Pane& p) {
    if (p.resourceName != upper(p.resourceName) || p.text.empty()) return;  // not found / empty
    const std::string name = p.resourceName.substr(0, p.resourceName.size() - 9);
    if (panes.count(name)) return;
    panes[name] = upper(p.text);
    paneTexts[name] = p.text;
  };
  for (const Pane& p : inst.mainPanes) addPane(p);
  for (const Pane& p : inst.languagePanes) addPane(p);

  std::map<std::string, std::vector<Record>> filed;
  for (const CommandText& t : texts) {
    if (t.resourceName != upper(t.resourceName) || !t.typeName.empty() || t.data.empty()) continue;
    const Texts& e = english ? t.atOffset1 : t.atOffset2;
    if (e.label.empty()) continue;
    Record r{t.resourceName.substr(0, t.resourceName.size() - 4), "",
             utf8ToCodePage(e.label, codePage), utf8ToCodePage(e.help, codePage)};
    for (const auto& pane : panes) {
      const size_t at = pane.second.find(r.key);
      if (at == std::string::npos) continue;
      if (r.command.empty()) r.command = paneTexts[pane.first].substr(at, r.key.size());
      filed[pane.first].push_back(r);
    }
  }
  return filed;
}

}  // namespace

std::string expectedMenuFile(const Installation& inst, const std::vector<CommandText>& texts,
                             bool english, bool german, int codePage) {
  Filed filed = fileRecords(inst, texts, english, codePage);
  size_t longest = 0;
  for (const auto& f : filed)
    for (const Record& r : f.second) longest = std::max(longest, r.label.size());
  const size_t width = longest + 5;
  auto pad = [&](const std::string& s) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
  };
  const char* modes[] = {"Sketcher", "Part",        "Sheet_Metal", "Composite",    "Scan_Model",
                         "Assembly", "Drawing",     "Manufacture", "Mold",         "Cast",
                         "Dieface",  "Layout",      "Format",      "Report",       "Markup",
                         "Diagram",  "Interchange", "Legacy",      "User_Defined", "Verify",
                         "Process",  "Nc_Model",    "Default"};
  std::vector<std::string> lines = {"# PTC Creo menubar file", " ", "[Modes]"};
  for (int i = 0; i < 23; ++i) lines.push_back(pad(modes[i]) + "= " + std::to_string(i + 1));
  lines.push_back(" ");
  lines.push_back("[MenuBar]");
  lines.push_back(pad("0Korvex") + "= {}");
  if (german) {
    lines.push_back(
        pad("1Fensterrollmodus umschalten") +
        "= {}KX_Toggle_Scroll_Mode|Schaltet das Rollen in Listen und Baeumen ein und aus.");
    lines.push_back(pad("1Bewegungsmodus umschalten") +
                    "= {+ 6}KX_Toggle_Object_Move_Mode|Schaltet das Bewegen von selektierten "
                    "Objekten in einer Baugruppe ein und aus.");
  } else {
    lines.push_back(pad("1Toggle Scroll Mode") +
                    "= {}KX_Toggle_Scroll_Mode|Switches scrolling in trees and lists with the "
                    "device's cap on and off.");
    lines.push_back(pad("1Toggle Move Mode") +
                    "= {+ 6}KX_Toggle_Object_Move_Mode|Switches movement of a selected object in "
                    "an assembly on and off.");
  }
  const std::map<std::string, std::string> display = {
      {"ProCmdViewWireframe", "ProCmdEnvMdlDisp*Wireframe"},
      {"ProCmdViewShaded", "ProCmdEnvMdlDisp*Shading"},
      {"ProCmdViewHiddenLine", "ProCmdEnvMdlDisp*Hidden line"},
      {"ProCmdViewNoHidden", "ProCmdEnvMdlDisp*No hidden"}};
  for (auto& f : filed) {
    std::vector<Record>& records = f.second;
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
      return a.label != b.label ? a.label < b.label : a.key < b.key;
    });
    lines.push_back(pad("0" + f.first) + "= {}");
    for (const Record& r : records) {
      const auto d = display.find(r.command);
      lines.push_back(pad("1" + r.label) + "= {}" + (d == display.end() ? r.command : d->second) +
                      "|" + r.help);
    }
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out + " ";
}
