// The regular commands of the emulated host: their names, the pane layouts that mention them and
// their command texts in both language DLLs, with what a catalogue build must take from each.
#include <string>
#include <vector>

#include "installation_model.h"

namespace {

std::string withoutAmpersands(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '&') out.push_back(c);
  return out;
}

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

const size_t kPaneCount = sizeof(kPaneNames) / sizeof(kPaneNames[0]);

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

std::vector<Command> regularCommands() {
  std::vector<Command> commands;
  size_t n = 0;
  for (const char* area : kAreas)
    for (const Vocabulary& verb : kVerbs)
      for (const Vocabulary& object : kObjects) {
        if (n++ % 15 == 14) continue;  // about 3500 of the combinations
        Command c{std::string("ProCmd") + area + verb.en + object.en, verb, object, {}};
        const size_t i = commands.size();
        if (i % 29 != 28) c.panes.push_back(i % kPaneCount);  // every 29th is in no pane
        if (i % 7 == 3) c.panes.push_back((i * 13 + 5) % kPaneCount);
        if (i % 41 == 0) c.panes.push_back((i + 17) % kPaneCount);
        commands.push_back(c);
      }

  return commands;
}

// A line per mentioned command, in a layout language of the host's.
void addPaneLayouts(const std::vector<Command>& commands, Installation& inst) {
  std::vector<std::string> paneBody(kPaneCount);
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
  for (size_t p = 0; p < kPaneCount; ++p) {
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
}

// Resources that are not pane layouts or command texts, and numeric ids.
void addMainExtras(Installation& inst) {
  inst.mainExtras.push_back(namedResource("PROCMD.RES", "not a command"));
  inst.mainExtras.push_back(namedResource("HELP.TXT", "[ProCmdHelp] COMMAND.LABEL\nHelp\nHilfe\n"));
  inst.mainExtras.push_back(namedResource("VIEW_PANE.TXT", "<pane name=\"VIEW\"/>"));
  inst.mainExtras.push_back(namedResource("EMPTY_PANE.RES", ""));
  PeResource numeric;
  numeric.nameId = 101;
  numeric.data = "<pane name=\"NUMERIC\"><button command=\"ProCmdModelOpen\"/></pane>";
  inst.mainExtras.push_back(numeric);
  numeric.nameId = 1;
  numeric.typeId = 16;  // a version resource's type
  numeric.data = std::string(64, '\x01');
  inst.mainExtras.push_back(numeric);
}

void addCommandTexts(const std::vector<Command>& commands, Installation& inst) {
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
    CommandText germanText{resource, "",
                           commandText(c.name, eol, labelMarker, helpMarker, en, de, finalLineEnd),
                           expect(en, false), expect(de, true)};
    CommandText frenchText{resource, "",
                           commandText(c.name, eol, labelMarker, helpMarker, en, fr, finalLineEnd),
                           expect(en, false), expect(fr, true)};
    inst.german.push_back(germanText);
    inst.french.push_back(frenchText);
  }
}

}  // namespace

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

Installation buildInstallation() {
  Installation inst;
  const std::vector<Command> commands = regularCommands();
  addPaneLayouts(commands, inst);
  addMainExtras(inst);
  addCommandTexts(commands, inst);
  addSpecialCases(inst);
  return inst;
}
