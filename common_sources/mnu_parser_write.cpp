// MNUParser's writing: the menu file's text composed from the filed commands, and the file
// written whole.
#include <algorithm>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "file_commit.h"
#include "logging.h"
#include "mnu_parser.h"

namespace {

const char* const kModeNames[] = {
    "Sketcher",     "Part",        "Sheet_Metal", "Composite", "Scan_Model",  "Assembly",
    "Drawing",      "Manufacture", "Mold",        "Cast",      "Dieface",     "Layout",
    "Format",       "Report",      "Markup",      "Diagram",   "Interchange", "Legacy",
    "User_Defined", "Verify",      "Process",     "Nc_Model",  "Default",
};

struct OwnEntry {
  const char* field;
  const char* rest;
};
const OwnEntry kOwnEnglish[2] = {
    {"1Toggle Scroll Mode",
     "= {}KX_Toggle_Scroll_Mode|Switches scrolling in trees and lists with the device's cap on and "
     "off."},
    {"1Toggle Move Mode",
     "= {+ 6}KX_Toggle_Object_Move_Mode|Switches movement of a selected object in an assembly on "
     "and off."},
};
const OwnEntry kOwnGerman[2] = {
    {"1Fensterrollmodus umschalten",
     "= {}KX_Toggle_Scroll_Mode|Schaltet das Rollen in Listen und Baeumen ein und aus."},
    {"1Bewegungsmodus umschalten",
     "= {+ 6}KX_Toggle_Object_Move_Mode|Schaltet das Bewegen von selektierten Objekten in einer "
     "Baugruppe ein und aus."},
};

// The four display styles are written as the display command with its argument.
struct DisplayStyle {
  const char* command;
  const char* written;
};
const DisplayStyle kDisplayStyles[] = {
    {"ProCmdViewWireframe", "ProCmdEnvMdlDisp*Wireframe"},
    {"ProCmdViewShaded", "ProCmdEnvMdlDisp*Shading"},
    {"ProCmdViewHiddenLine", "ProCmdEnvMdlDisp*Hidden line"},
    {"ProCmdViewNoHidden", "ProCmdEnvMdlDisp*No hidden"},
};

std::string_view writtenCommand(const std::string& command) {
  for (const DisplayStyle& style : kDisplayStyles) {
    if (command == style.command) return style.written;
  }
  return command;
}

// The field is the level digit followed by the text.
void appendPadded(std::string* out, std::string_view level, std::string_view text, int32_t width) {
  out->append(level).append(text);
  const int64_t length = static_cast<int64_t>(level.size() + text.size());
  if (length < width) out->append(static_cast<size_t>(width - length), ' ');
}

}  // namespace

std::string MNUParser::ComposeMNUText() {
  std::vector<std::string> paneNames;
  size_t longest = 0;
  for (const auto& pane : mPaneCommands) {
    paneNames.push_back(pane.first);
    for (const MNUCommand& c : pane.second) longest = std::max(longest, c.label.size());
  }
  const int32_t width = static_cast<int32_t>(longest) + 5;
  std::sort(paneNames.begin(), paneNames.end());

  std::string out;
  size_t estimate = 4096 + 48 * static_cast<size_t>(width);
  for (const auto& pane : mPaneCommands) {
    for (const MNUCommand& c : pane.second) {
      estimate += static_cast<size_t>(width) + c.command.size() + c.helpText.size() + 40;
    }
  }
  out.reserve(estimate);
  const char* const eol = "\r\n";
  out.append("# PTC Creo menubar file").append(eol);
  out.append(" ").append(eol);
  out.append("[Modes]").append(eol);
  int number = 1;
  for (const char* name : kModeNames) {
    appendPadded(&out, "", name, width);
    out.append("= ").append(std::to_string(number++)).append(eol);
  }
  out.append(" ").append(eol);
  out.append("[MenuBar]").append(eol);
  appendPadded(&out, "", "0Korvex", width);
  out.append("= {}").append(eol);
  for (const OwnEntry& entry : mIsGerman ? kOwnGerman : kOwnEnglish) {
    appendPadded(&out, "", entry.field, width);
    out.append(entry.rest).append(eol);
  }
  const double step = (1.0 - 0.9) / static_cast<double>(paneNames.size());
  for (const std::string& name : paneNames) {
    AdvanceProgress(step, kWriteCeiling);
    const std::vector<MNUCommand>& list = mPaneCommands[name];
    if (list.empty()) continue;
    std::vector<const MNUCommand*> commands;
    commands.reserve(list.size());
    for (const MNUCommand& c : list) commands.push_back(&c);
    std::stable_sort(commands.begin(), commands.end(),
                     [](const MNUCommand* a, const MNUCommand* b) {
                       const int byLabel = a->label.compare(b->label);
                       return byLabel < 0 || (byLabel == 0 && a->key < b->key);
                     });
    appendPadded(&out, "0", name, width);
    out.append("= {}").append(eol);
    for (const MNUCommand* record : commands) {
      const MNUCommand& c = *record;
      appendPadded(&out, "1", c.label, width);
      out.append("= {}").append(writtenCommand(c.command)).append("|").append(c.helpText);
      out.append(eol);
    }
  }
  out.append(" ");
  return out;
}

bool MNUParser::WriteMNUFile(std::string path) {
  try {
    {
      std::ifstream existing(path, std::ios::in | std::ios::binary);
      if (existing.is_open()) return false;
    }
    KXLOG(LOG_DBG) << "Create MNU File: " << path << LOG_END;
    const std::string text = ComposeMNUText();
    // Line ends are in the text already. A cut file would never be built again, and a file that
    // appeared meanwhile is kept.
    const char* failed = FileCommit::write(path, text, false, FileCommit::kKeepExisting);
    if (failed != nullptr) {
      KXLOG(LOG_ERR) << "Cannot write MNU File: " << path << " (" << failed << " failed)"
                     << LOG_END;
      return false;
    }
    KXLOG(LOG_DBG) << "MNU File created successfully: " << path << LOG_END;
    return true;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error WriteMNUFile()" << LOG_END;
    return false;
  }
}
