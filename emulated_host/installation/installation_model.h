// What the installation generator puts into the host's resource DLLs, with what a catalogue build
// must make of each command text.
#pragma once

#include <string>
#include <vector>

#include "pe_resource_dll.h"

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

struct Installation {
  std::vector<Pane> mainPanes;
  std::vector<PeResource> mainExtras;  // resources the catalogue must skip or report
  std::vector<Pane> languagePanes;     // pane layouts inside the language DLLs
  std::vector<CommandText> german, french;
  std::vector<PeResource> languageExtras;
};

std::string upper(std::string s);

// The regular commands, their pane layouts and texts, and the odd resources of the main DLL
// (installation_build.cpp); the special command texts of both language DLLs (special_cases.cpp).
Installation buildInstallation();
void addSpecialCases(Installation& inst);

// What a catalogue build files and writes, from the texts as this tool made them.
std::string expectedMenuFile(const Installation& inst, const std::vector<CommandText>& texts,
                             bool english, bool german, int codePage);

// The resources of each DLL (resource_sets.cpp).
PeResource namedResource(const std::string& name, const std::string& data);
std::vector<PeResource> mainDll(const Installation& inst);
std::vector<PeResource> languageDll(const Installation& inst,
                                    const std::vector<CommandText>& texts);
std::vector<PeResource> badInputDll();
std::vector<PeResource> smallFixture();
