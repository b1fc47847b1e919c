// The command texts that catch a careless catalogue builder, the same in both language DLLs: odd
// markers, missing lines, characters the code pages differ in, names and types the build must skip.
#include "installation_model.h"

namespace {

struct SpecialCase {
  const char* resource;
  const char* data;
  Texts atOffset1, atOffset2;
  const char* type = "";  // empty: RCDATA
};

const SpecialCase kSpecialCases[] = {
    {"PROCMDVIEWSHADED.TXT",
     "[ProCmdViewShaded] COMMAND.LABEL\nShaded\nSchattiert\n[ProCmdViewShaded] "
     "COMMAND.HELPTEXT\nShows shaded.\nZeigt schattiert.\n",
     {"Shaded", "Shows shaded."},
     {"Schattiert", "Zeigt schattiert."}},
    {"PROCMDVIEWWIREFRAME.TXT",
     "[ProCmdViewWireframe] COMMAND.LABEL\nWireframe\nDrahtmodell\n[ProCmdViewWireframe] "
     "COMMAND.HELPTEXT\nShows edges.\nZeigt Kanten.",
     {"Wireframe", "Shows edges."},
     {"Drahtmodell", "Zeigt Kanten."}},
    {"PROCMDVIEWHIDDENLINE.TXT",
     "[ProCmdViewHiddenLine] COMMAND.LABEL\nHidden Line\nVerdeckte Kanten\n[ProCmdViewHiddenLine] "
     "COMMAND.HELPTEXT\nHidden lines grey.\nVerdeckte Kanten grau.\n",
     {"Hidden Line", "Hidden lines grey."},
     {"Verdeckte Kanten", "Verdeckte Kanten grau."}},
    {"PROCMDVIEWNOHIDDEN.TXT",
     "[ProCmdViewNoHidden] COMMAND.LABEL\nNo Hidden\nOhne verdeckte\n[ProCmdViewNoHidden] "
     "COMMAND.HELPTEXT\nNo hidden lines.\nKeine verdeckten Kanten.\n",
     {"No Hidden", "No hidden lines."},
     {"Ohne verdeckte", "Keine verdeckten Kanten."}},
    {"PROCMDVIEWREFIT.TXT",
     "[ProCmdViewRefit] COMMAND.LABEL\n&Refit\n&Einpassen\n[ProCmdViewRefit] "
     "COMMAND.HELPTEXT\nRefits the model.\nPasst das Modell ein.\n",
     {"Refit", "Refits the model."},
     {"Einpassen", "Passt das Modell ein."}},
    // A key that is a prefix of other commands' names.
    {"PROCMDVIEW.TXT",
     "[ProCmdView] COMMAND.LABEL\nView\nAnsicht\n[ProCmdView] COMMAND.HELPTEXT\nThe view "
     "menu.\nDas Ansichtsmenü.\n",
     {"View", "The view menu."},
     {"Ansicht", "Das Ansichtsmenü."}},
    // "&&" and two label markers: the second label wins.
    {"PROCMDMODELOPEN.TXT",
     "[ProCmdModelOpen] COMMAND.LABEL\nOpen\nÖffnen\n[ProCmdModelOpen] COMMAND.LABEL\n&Open "
     "&&Save\n&Öffnen && Sichern\n[ProCmdModelOpen] COMMAND.HELPTEXT\nOpens a model.\nÖffnet "
     "ein Modell.\n",
     {"Open Save", "Opens a model."},
     {"Öffnen  Sichern", "Öffnet ein Modell."}},
    // Markers on the last lines: the label marker is last but one, the help marker last.
    {"PROCMDLASTLINESA.TXT",
     "[ProCmdLastLinesA] COMMAND.HELPTEXT\nOpens planes.\nÖffnet Ebenen.\n[ProCmdLastLinesA] "
     "COMMAND.LABEL\nOpen Plane\n",
     {"Open Plane", "Opens planes."},
     {"", ""}},
    {"PROCMDLASTLINESB.TXT",
     "[ProCmdLastLinesB] COMMAND.LABEL\nClose Plane\nEbene schließen\n[ProCmdLastLinesB] "
     "COMMAND.HELPTEXT",
     {"Close Plane", ""},
     {"Ebene schließen", ""}},
    // A character that has no ANSI form.
    {"PROCMDNOANSI.TXT",
     "[ProCmdNoAnsi] COMMAND.LABEL\nShow Note 中\nNotiz 中 anzeigen\n[ProCmdNoAnsi] "
     "COMMAND.HELPTEXT\nShows 中.\nZeigt 中.\n",
     {"Show Note 中", "Shows 中."},
     {"Notiz 中 anzeigen", "Zeigt 中."}},
    // Characters where code pages 1252 and 1250 differ from Latin-1 and from each other.
    {"PROCMDTYPOGRAPHY.TXT",
     "[ProCmdTypography] COMMAND.LABEL\nNote’s … – 5 €\nCœur’s … – 5 € č\n[ProCmdTypography] "
     "COMMAND.HELPTEXT\n“Quotes” – €.\nŒuvre’s – €…\n",
     {"Note’s … – 5 €", "“Quotes” – €."},
     {"Cœur’s … – 5 € č", "Œuvre’s – €…"}},
    // No label marker at all, an empty text, a lower-case name, a text under another type.
    {"PROCMDNOLABEL.TXT",
     "[ProCmdNoLabel] COMMAND.HELPTEXT\nCopies.\nKopiert.\n",
     {"", ""},
     {"", ""}},
    {"PROCMDEMPTYTEXT.TXT", "", {"", ""}, {"", ""}},
    {"procmdlowercase.txt", "[ProCmdLowerCase] COMMAND.LABEL\nShow\nZeigen\n", {"", ""}, {"", ""}},
    {"PROCMDOTHERTYPE.TXT",
     "[ProCmdOtherType] COMMAND.LABEL\nHide\nVerbergen\n",
     {"", ""},
     {"", ""},
     "TEXT"},
    // A command only the language DLL's own copy of the VIEW layout mentions: that copy is ignored.
    {"PROCMDONLYINLANGUAGEPANE.TXT",
     "[ProCmdOnlyInLanguagePane] COMMAND.LABEL\nNowhere\nNirgends\n",
     {"", ""},
     {"", ""}},
};

}  // namespace

void addSpecialCases(Installation& inst) {
  for (const SpecialCase& c : kSpecialCases) {
    inst.german.push_back({c.resource, c.type, c.data, c.atOffset1, c.atOffset2});
    inst.french.push_back({c.resource, c.type, c.data, c.atOffset1, c.atOffset2});
  }
  // The language DLL's own copy of the VIEW layout, which the catalogue ignores.
  inst.languagePanes.push_back(
      {"VIEW_PANE.RES", "",
       "<pane name=\"VIEW\"><button command=\"ProCmdOnlyInLanguagePane\"/></pane>"});
  inst.languageExtras.push_back(namedResource("HELP.TXT", "help"));
}
