// Lays out the emulated host's installation at build time:
//   <out>/text/compiled_resource/pro_default_resources.dll          pane layouts
//   <out>/text/compiled_resource/pro_default_<lang>_resources.dll   command texts (german, french)
//   <out>/text/compiled_resource/pro_default_badinput_resources.dll hostile command texts
//   <out>/text/compiled_resource/pro_default_broken_resources.dll   not a loadable DLL
//   <out>/text/host_commands.txt       every command the catalogue can offer, for the host
//   <out>/text/expected/Creo_<lang>.mnu the menu file a catalogue build must write: english and
//                                       german in ANSI code page 1252, french in 1250
//   <out>/fixtures/small_resources.dll  a handful of resources for unit tests
// The expected menu files are worked out here from what this tool put into the DLLs, not by
// reading them back.
//
//   make_host_installation <out dir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "code_pages.h"
#include "pe_resource_dll.h"

namespace {

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string withoutAmpersands(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '&') out.push_back(c);
  return out;
}

struct Texts {
  std::string label, help;  // as written into the text, UTF-8, with "&"
};

// One command text resource of a language DLL and what a catalogue of each language takes from it.
struct CommandText {
  std::string resourceName;  // as stored
  std::string typeName;      // empty: RCDATA
  std::string data;          // UTF-8 bytes
  // Expected record for the line offsets 1 (english) and 2 (others); empty label: no record.
  Texts atOffset1, atOffset2;
};

struct Pane {
  std::string resourceName;
  std::string typeName;
  std::string text;
};

struct Vocabulary {
  const char* en;
  const char* de;
  const char* fr;
};

const char* const kAreas[] = {"View", "Model", "Edit", "Feat", "Datum", "Env",  "Info",
                              "Anal", "Skt",   "Drw",  "Asm",  "Mfg",   "Sheet"};
const Vocabulary kVerbs[] = {
    {"Create", "erstellen", "Créer"},       {"Delete", "löschen", "Supprimer"},
    {"Open", "öffnen", "Ouvrir"},           {"Close", "schließen", "Fermer"},
    {"Check", "prüfen", "Vérifier"},        {"Modify", "ändern", "Modifier"},
    {"Copy", "kopieren", "Copier"},         {"Move", "verschieben", "Déplacer"},
    {"Show", "anzeigen", "Afficher"},       {"Hide", "ausblenden", "Masquer"},
    {"Measure", "messen", "Mesurer"},       {"Export", "exportieren", "Exporter"},
    {"Import", "importieren", "Importer"},  {"Rename", "umbenennen", "Renommer"},
    {"Mirror", "spiegeln", "Symétriser"},   {"Pattern", "mustern", "Répéter"},
    {"Group", "gruppieren", "Grouper"},     {"Suppress", "unterdrücken", "Supprimer temp."},
    {"Resume", "zurückholen", "Reprendre"}, {"Replace", "ersetzen", "Remplacer"}};
const Vocabulary kObjects[] = {{"Plane", "Ebene", "plan"},         {"Axis", "Achse", "axe"},
                               {"Point", "Punkt", "point"},        {"Curve", "Kurve", "courbe"},
                               {"Note", "Notiz", "note"},          {"Table", "Tabelle", "table"},
                               {"Layer", "Layer", "calque"},       {"Symbol", "Symbol", "symbole"},
                               {"Dimension", "Maß", "cote"},       {"Surface", "Fläche", "surface"},
                               {"Quilt", "Sammelfläche", "quilt"}, {"Sketch", "Skizze", "esquisse"},
                               {"View", "Ansicht", "vue"},         {"Sheet", "Blatt", "feuille"},
                               {"Part", "Teil", "pièce"}};
const char* const kPaneNames[] = {
    "FILE",      "EDIT",       "VIEW",     "INSERT",   "ANALYSIS",     "INFO",       "APPLICATIONS",
    "TOOLS",     "WINDOW",     "HELP",     "MODEL",    "ANNOTATE",     "RENDER",     "SKETCH",
    "DATUM",     "SURFACES",   "ENGINEER", "SHAPES",   "OPERATIONS",   "EDITING",    "WARP",
    "LAYOUT",    "TABLE",      "FORMAT",   "REVIEW",   "PUBLISH",      "SHEETMETAL", "BENDS",
    "FORMS",     "MOLD",       "CAST",     "MFG",      "NC_SETUP",     "MACHINING",  "WELDING",
    "CABLING",   "PIPING",     "HARNESS",  "FLEXIBLE", "FAMILY",       "SIMULATE",   "MECHANISM",
    "ANIMATION", "APPEARANCE", "SCENES",   "LAYERS",   "QUICK_ACCESS", "GRAPHICS",   "SELECTION",
    "STATUS"};

struct Installation {
  std::vector<Pane> mainPanes;
  std::vector<PeResource> mainExtras;  // resources the catalogue must skip or report
  std::vector<Pane> languagePanes;     // pane layouts inside the language DLLs
  std::vector<CommandText> german, french;
  std::vector<PeResource> languageExtras;
};

std::string commandText(const std::string& name, const std::string& eol,
                        const std::string& labelMarker, const std::string& helpMarker,
                        const Texts& en, const Texts& local, bool finalLineEnd) {
  std::string t = "# " + name + eol + "[" + name + "] " + labelMarker + eol + en.label + eol +
                  local.label + eol + "[" + name + "] command.icon" + eol + name + ".png" + eol +
                  "[" + name + "] " + helpMarker + eol + en.help + eol + local.help;
  if (finalLineEnd) t += eol;
  return t;
}

// The regular commands: spelling, labels and the panes that mention them.
struct Command {
  std::string name;
  Vocabulary verb, object;
  std::vector<size_t> panes;
};

Installation build() {
  Installation inst;
  std::vector<Command> commands;
  const size_t paneCount = sizeof(kPaneNames) / sizeof(kPaneNames[0]);
  size_t n = 0;
  for (const char* area : kAreas)
    for (const Vocabulary& verb : kVerbs)
      for (const Vocabulary& object : kObjects) {
        if (n++ % 15 == 14) continue;  // about 3500 of the combinations
        Command c{std::string("ProCmd") + area + verb.en + object.en, verb, object, {}};
        const size_t i = commands.size();
        if (i % 29 != 28) c.panes.push_back(i % paneCount);  // every 29th is in no pane
        if (i % 7 == 3) c.panes.push_back((i * 13 + 5) % paneCount);
        if (i % 41 == 0) c.panes.push_back((i + 17) % paneCount);
        commands.push_back(c);
      }

  // Pane layouts: a line per mentioned command, in a layout language of the host's.
  std::vector<std::string> paneBody(paneCount);
  for (const Command& c : commands)
    for (size_t p : c.panes)
      paneBody[p] += "    <button command=\"" + c.name + "\" size=\"small\" label_ref=\"" + c.name +
                     ".label\"/>\n";
  // The display styles; APPEARANCE, read before VIEW, spells wireframe its own way.
  paneBody[2] +=
      "    <button command=\"ProCmdViewShaded\"/>\n    <button command=\"ProCmdViewWireframe\"/>\n"
      "    <button command=\"ProCmdViewHiddenLine\"/>\n    <button "
      "command=\"ProCmdViewNoHidden\"/>\n"
      "    <button command=\"ProCmdViewRefit\"/>\n";
  paneBody[43] += "    <button command=\"ProCmdViewWireFrame\"/>\n";
  paneBody[0] += "    <button command=\"ProCmdModelOpen\"/>\n";
  for (const char* name :
       {"ProCmdLastLinesA", "ProCmdLastLinesB", "ProCmdNoAnsi", "ProCmdTypography", "ProCmdNoLabel",
        "ProCmdEmptyText", "ProCmdLowerCase", "ProCmdOtherType"})
    paneBody[0] += std::string("    <button command=\"") + name + "\"/>\n";
  for (size_t p = 0; p < paneCount; ++p) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<pane name=\"" +
                       std::string(kPaneNames[p]) + "\" layout=\"ribbon\">\n  <group>\n" +
                       paneBody[p] + "  </group>\n</pane>\n";
    if (p % 5 == 1) {  // some layouts have CR LF line ends
      std::string crlf;
      for (char ch : text) {
        if (ch == '\n') crlf += '\r';
        crlf += ch;
      }
      text = crlf;
    }
    inst.mainPanes.push_back({std::string(kPaneNames[p]) + "_PANE.RES", "", text});
  }
  // The same pane name again under another type: the first text stays.
  inst.mainPanes.push_back({"VIEW_PANE.RES", "LAYOUT", "<pane name=\"VIEW\"/>"});
  // A pane in lower case: listed, but not found as RCDATA by its name.
  inst.mainPanes.push_back(
      {"lower_pane.res", "", "<pane><button command=\"ProCmdModelOpen\"/></pane>"});
  // Resources that are not pane layouts or command texts, and numeric ids.
  auto extra = [](const char* name, const std::string& data) {
    PeResource r;
    r.name = name;
    r.data = data;
    return r;
  };
  inst.mainExtras.push_back(extra("PROCMD.RES", "not a command"));
  inst.mainExtras.push_back(extra("HELP.TXT", "[ProCmdHelp] COMMAND.LABEL\nHelp\nHilfe\n"));
  inst.mainExtras.push_back(extra("VIEW_PANE.TXT", "<pane name=\"VIEW\"/>"));
  inst.mainExtras.push_back(extra("EMPTY_PANE.RES", ""));
  PeResource numeric;
  numeric.nameId = 101;
  numeric.data = "<pane name=\"NUMERIC\"><button command=\"ProCmdModelOpen\"/></pane>";
  inst.mainExtras.push_back(numeric);
  numeric.nameId = 1;
  numeric.typeId = 16;  // a version resource's type
  numeric.data = std::string(64, '\x01');
  inst.mainExtras.push_back(numeric);

  // Command texts.
  for (size_t i = 0; i < commands.size(); ++i) {
    const Command& c = commands[i];
    Texts en{std::string(c.verb.en) + " " + c.object.en,
             "Runs " + std::string(c.verb.en) + " " + c.object.en + "."};
    if (i % 9 == 0) en.label = "&" + en.label;
    Texts de{std::string(c.object.de) + " " + c.verb.de,
             "Führt " + std::string(c.object.de) + " " + c.verb.de + " aus."};
    Texts fr{std::string(c.verb.fr) + " " + c.object.fr,
             "Exécute « " + std::string(c.verb.fr) + " " + c.object.fr + " »."};
    if (i % 9 == 0) de.label = "&" + de.label;
    const bool crlf = i % 97 == 5;
    const std::string eol = crlf ? "\r\n" : "\n";
    const std::string labelMarker = i % 13 == 2 ? "command.label" : "COMMAND.LABEL";
    const std::string helpMarker = i % 13 == 2 ? "command.helptext" : "COMMAND.HELPTEXT";
    const bool finalLineEnd = i % 3 != 0;
    const std::string resource = upper(c.name) + ".TXT";
    auto expect = [&](const Texts& t, bool lastLine) {
      Texts e{withoutAmpersands(t.label), t.help};
      if (crlf) {
        e.label += "\r";
        // The local help text is the text's last line: without a final line end it has no CR.
        if (!lastLine || finalLineEnd) e.help += "\r";
      }
      return e;
    };
    CommandText g{resource, "",
                  commandText(c.name, eol, labelMarker, helpMarker, en, de, finalLineEnd),
                  expect(en, false), expect(de, true)};
    CommandText f{resource, "",
                  commandText(c.name, eol, labelMarker, helpMarker, en, fr, finalLineEnd),
                  expect(en, false), expect(fr, true)};
    inst.german.push_back(g);
    inst.french.push_back(f);
  }

  // The special cases, the same in both language DLLs.
  auto special = [&](const std::string& resource, const std::string& data, Texts at1, Texts at2,
                     const std::string& type = "") {
    inst.german.push_back({resource, type, data, at1, at2});
    std::string french = data;
    inst.french.push_back({resource, type, french, at1, at2});
  };
  special("PROCMDVIEWSHADED.TXT",
          "[ProCmdViewShaded] COMMAND.LABEL\nShaded\nSchattiert\n[ProCmdViewShaded] "
          "COMMAND.HELPTEXT\nShows shaded.\nZeigt schattiert.\n",
          {"Shaded", "Shows shaded."}, {"Schattiert", "Zeigt schattiert."});
  special("PROCMDVIEWWIREFRAME.TXT",
          "[ProCmdViewWireframe] COMMAND.LABEL\nWireframe\nDrahtmodell\n[ProCmdViewWireframe] "
          "COMMAND.HELPTEXT\nShows edges.\nZeigt Kanten.",
          {"Wireframe", "Shows edges."}, {"Drahtmodell", "Zeigt Kanten."});
  special(
      "PROCMDVIEWHIDDENLINE.TXT",
      "[ProCmdViewHiddenLine] COMMAND.LABEL\nHidden Line\nVerdeckte Kanten\n[ProCmdViewHiddenLine] "
      "COMMAND.HELPTEXT\nHidden lines grey.\nVerdeckte Kanten grau.\n",
      {"Hidden Line", "Hidden lines grey."}, {"Verdeckte Kanten", "Verdeckte Kanten grau."});
  special("PROCMDVIEWNOHIDDEN.TXT",
          "[ProCmdViewNoHidden] COMMAND.LABEL\nNo Hidden\nOhne verdeckte\n[ProCmdViewNoHidden] "
          "COMMAND.HELPTEXT\nNo hidden lines.\nKeine verdeckten Kanten.\n",
          {"No Hidden", "No hidden lines."}, {"Ohne verdeckte", "Keine verdeckten Kanten."});
  special("PROCMDVIEWREFIT.TXT",
          "[ProCmdViewRefit] COMMAND.LABEL\n&Refit\n&Einpassen\n[ProCmdViewRefit] "
          "COMMAND.HELPTEXT\nRefits the model.\nPasst das Modell ein.\n",
          {"Refit", "Refits the model."}, {"Einpassen", "Passt das Modell ein."});
  // A key that is a prefix of other commands' names.
  special("PROCMDVIEW.TXT",
          "[ProCmdView] COMMAND.LABEL\nView\nAnsicht\n[ProCmdView] COMMAND.HELPTEXT\nThe view "
          "menu.\nDas Ansichtsmenü.\n",
          {"View", "The view menu."}, {"Ansicht", "Das Ansichtsmenü."});
  // "&&" and two label markers: the second label wins.
  special("PROCMDMODELOPEN.TXT",
          "[ProCmdModelOpen] COMMAND.LABEL\nOpen\nÖffnen\n[ProCmdModelOpen] COMMAND.LABEL\n&Open "
          "&&Save\n&Öffnen && Sichern\n[ProCmdModelOpen] COMMAND.HELPTEXT\nOpens a model.\nÖffnet "
          "ein Modell.\n",
          {"Open Save", "Opens a model."}, {"Öffnen  Sichern", "Öffnet ein Modell."});
  // Markers on the last lines: the label marker is last but one, the help marker last.
  special("PROCMDLASTLINESA.TXT",
          "[ProCmdLastLinesA] COMMAND.HELPTEXT\nOpens planes.\nÖffnet Ebenen.\n[ProCmdLastLinesA] "
          "COMMAND.LABEL\nOpen Plane\n",
          {"Open Plane", "Opens planes."}, {"", ""});
  special("PROCMDLASTLINESB.TXT",
          "[ProCmdLastLinesB] COMMAND.LABEL\nClose Plane\nEbene schließen\n[ProCmdLastLinesB] "
          "COMMAND.HELPTEXT",
          {"Close Plane", ""}, {"Ebene schließen", ""});
  // A character that has no ANSI form.
  special("PROCMDNOANSI.TXT",
          "[ProCmdNoAnsi] COMMAND.LABEL\nShow Note 中\nNotiz 中 anzeigen\n[ProCmdNoAnsi] "
          "COMMAND.HELPTEXT\nShows 中.\nZeigt 中.\n",
          {"Show Note 中", "Shows 中."}, {"Notiz 中 anzeigen", "Zeigt 中."});
  // Characters where code pages 1252 and 1250 differ from Latin-1 and from each other.
  special("PROCMDTYPOGRAPHY.TXT",
          "[ProCmdTypography] COMMAND.LABEL\nNote’s … – 5 €\nCœur’s … – 5 € č\n[ProCmdTypography] "
          "COMMAND.HELPTEXT\n“Quotes” – €.\nŒuvre’s – €…\n",
          {"Note’s … – 5 €", "“Quotes” – €."}, {"Cœur’s … – 5 € č", "Œuvre’s – €…"});
  // No label marker at all, an empty text, a lower-case name, a text under another type.
  special("PROCMDNOLABEL.TXT", "[ProCmdNoLabel] COMMAND.HELPTEXT\nCopies.\nKopiert.\n", {"", ""},
          {"", ""});
  special("PROCMDEMPTYTEXT.TXT", "", {"", ""}, {"", ""});
  special("procmdlowercase.txt", "[ProCmdLowerCase] COMMAND.LABEL\nShow\nZeigen\n", {"", ""},
          {"", ""});
  special("PROCMDOTHERTYPE.TXT", "[ProCmdOtherType] COMMAND.LABEL\nHide\nVerbergen\n", {"", ""},
          {"", ""}, "TEXT");
  // A command only the language DLL's own copy of the VIEW layout mentions: that copy is ignored.
  special("PROCMDONLYINLANGUAGEPANE.TXT",
          "[ProCmdOnlyInLanguagePane] COMMAND.LABEL\nNowhere\nNirgends\n", {"", ""}, {"", ""});
  inst.languagePanes.push_back(
      {"VIEW_PANE.RES", "",
       "<pane name=\"VIEW\"><button command=\"ProCmdOnlyInLanguagePane\"/></pane>"});
  inst.languageExtras.push_back(extra("HELP.TXT", "help"));
  return inst;
}

// What a catalogue build files and writes, from the texts as this tool made them.
std::string expectedMenuFile(const Installation& inst, const std::vector<CommandText>& texts,
                             bool english, bool german, int codePage) {
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

  struct Record {
    std::string key, command, label, help;
  };
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

std::vector<PeResource> languageDll(const Installation& inst,
                                    const std::vector<CommandText>& texts) {
  std::vector<PeResource> out;
  for (const CommandText& t : texts) {
    PeResource r;
    r.name = t.resourceName;
    r.typeName = t.typeName;
    r.data = t.data;
    out.push_back(r);
  }
  for (const Pane& p : inst.languagePanes) {
    PeResource r;
    r.name = p.resourceName;
    r.data = p.text;
    out.push_back(r);
  }
  for (const PeResource& r : inst.languageExtras) out.push_back(r);
  return out;
}

// Command texts that would trip a careless reader, for the key of commands that are in panes.
std::vector<PeResource> badInputDll() {
  std::vector<PeResource> out;
  auto add = [&](const std::string& name, const std::string& data) {
    PeResource r;
    r.name = name;
    r.data = data;
    out.push_back(r);
  };
  std::string huge;
  while (huge.size() < 1000000)
    huge += "filler line of a very large command text, no marker here\n";
  huge += "[ProCmdModelCreatePlane] COMMAND.LABEL\nHuge\nRiesig\n";
  add("PROCMDMODELCREATEPLANE.TXT", huge);
  std::string garbage;
  unsigned seed = 12345;
  for (int i = 0; i < 70000; ++i) {
    seed = seed * 1103515245u + 12345u;
    garbage.push_back(static_cast<char>((seed >> 16) & 0xFF));
  }
  add("PROCMDMODELCREATEAXIS.TXT", garbage);
  std::string oneLine = "[ProCmdModelCreatePoint] COMMAND.LABEL ";
  while (oneLine.size() < 100000) oneLine += "no line feed anywhere ";
  add("PROCMDMODELCREATEPOINT.TXT", oneLine);
  add("PROCMDMODELCREATECURVE.TXT",
      "[ProCmdModelCreateCurve] COMMAND.LABEL\n" + std::string(10000, 'L') + "\n" +
          std::string(10000, 'M') + "\n[ProCmdModelCreateCurve] COMMAND.HELPTEXT\nLong.\nLang.\n");
  add("PROCMDMODELCREATENOTE.TXT",
      std::string("[ProCmdModelCreateNote] COMMAND.LABEL\nNul\n\0\0x\n", 45));
  return out;
}

std::vector<PeResource> smallFixture() {
  // For unit tests: each case once, in a known order of the directory.
  std::vector<PeResource> out;
  auto add = [&](const std::string& type, const std::string& name, uint16_t id,
                 const std::string& data) {
    PeResource r;
    r.typeName = type;
    r.name = name;
    r.nameId = id;
    r.data = data;
    out.push_back(r);
  };
  add("", "A_PANE.RES", 0, "ProCmdAlpha ProCmdBeta");
  add("", "b_pane.res", 0, "ProCmdBeta");
  add("", "PROCMDALPHA.TXT", 0, "[ProCmdAlpha] COMMAND.LABEL\nAlpha\nAlfa");  // no final LF
  add("", "PROCMDBETA.TXT", 0, "[ProCmdBeta] COMMAND.LABEL\nBeta\nB\xC3\xA4ta\n");
  add("", "PROCMDEMPTY.TXT", 0, "");
  add("", "HELP.TXT", 0, "[ProCmdHelp] COMMAND.LABEL\nHelp\nHilfe\n");
  add("", "", 7, "numeric");
  add("TEXT", "PROCMDGAMMA.TXT", 0, "[ProCmdGamma] COMMAND.LABEL\nGamma\nGamma\n");
  return out;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::cerr << "make_host_installation: cannot write " << path << "\n";
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_host_installation <out dir>\n";
    return 2;
  }
  const std::string out = argv[1];
  const std::string res = out + "/text/compiled_resource/";
  const Installation inst = build();
  // Each DLL's resources carry its language, as a resource compiler tags them.
  const uint16_t kEnglishUs = 1033, kGerman = 1031, kFrench = 1036;

  std::vector<PeResource> main;
  for (const Pane& p : inst.mainPanes) {
    PeResource r;
    r.name = p.resourceName;
    r.typeName = p.typeName;
    r.data = p.text;
    main.push_back(r);
  }
  for (const PeResource& r : inst.mainExtras) main.push_back(r);
  writeFile(res + "pro_default_resources.dll", buildResourceDll(main, 0x6A000000ull, kEnglishUs));
  writeFile(res + "pro_default_german_resources.dll",
            buildResourceDll(languageDll(inst, inst.german), 0x6B000000ull, kGerman));
  writeFile(res + "pro_default_french_resources.dll",
            buildResourceDll(languageDll(inst, inst.french), 0x6C000000ull, kFrench));
  writeFile(res + "pro_default_badinput_resources.dll",
            buildResourceDll(badInputDll(), 0x6D000000ull, kEnglishUs));
  std::string broken = "MZ this is not a library, only named like one\n";
  writeFile(res + "pro_default_broken_resources.dll", broken + std::string(4000, '\x90'));
  writeFile(out + "/fixtures/small_resources.dll",
            buildResourceDll(smallFixture(), 0x6E000000ull, kEnglishUs));

  writeFile(out + "/text/expected/Creo_english.mnu",
            expectedMenuFile(inst, inst.german, true, false, 1252));
  writeFile(out + "/text/expected/Creo_german.mnu",
            expectedMenuFile(inst, inst.german, false, true, 1252));
  writeFile(out + "/text/expected/Creo_french.mnu",
            expectedMenuFile(inst, inst.french, false, false, 1250));

  // The host's command table: every spelling any layout gives a command text's key.
  std::set<std::string> table;
  std::vector<std::pair<std::string, std::string>> allPanes;  // text, upper-case text
  for (const Pane& p : inst.mainPanes) allPanes.push_back({p.text, upper(p.text)});
  for (const Pane& p : inst.languagePanes) allPanes.push_back({p.text, upper(p.text)});
  for (const auto* texts : {&inst.german, &inst.french})
    for (const CommandText& t : *texts) {
      const std::string key = upper(t.resourceName.substr(0, t.resourceName.size() - 4));
      for (const auto& p : allPanes) {
        const size_t at = p.second.find(key);
        if (at != std::string::npos) table.insert(p.first.substr(at, key.size()));
      }
    }
  std::string list =
      "# Commands of the emulated host's installation, generated with its resource DLLs.\n";
  for (const std::string& name : table) list += name + "\n";
  writeFile(out + "/text/host_commands.txt", list);
  std::cout << "make_host_installation: " << inst.mainPanes.size() << " pane layouts, "
            << inst.german.size() << " command texts, " << table.size() << " host commands\n";
  return 0;
}
