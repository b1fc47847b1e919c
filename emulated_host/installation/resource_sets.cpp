// The resources of each DLL the generator writes.
#include <string>
#include <vector>

#include "installation_model.h"

PeResource namedResource(const std::string& name, const std::string& data) {
  PeResource r;
  r.name = name;
  r.data = data;
  return r;
}

std::vector<PeResource> mainDll(const Installation& inst) {
  std::vector<PeResource> main;
  for (const Pane& p : inst.mainPanes) {
    PeResource r;
    r.name = p.resourceName;
    r.typeName = p.typeName;
    r.data = p.text;
    main.push_back(r);
  }
  for (const PeResource& r : inst.mainExtras) main.push_back(r);
  return main;
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
    out.push_back(namedResource(name, data));
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
