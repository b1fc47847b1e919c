// Writes a resource-only 64-bit DLL byte by byte, so resource names keep their case and the data
// of one resource ends exactly where the next one begins (a resource compiler upper-cases names
// and pads the data).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PeResource {
  std::string typeName;  // empty: the numeric type typeId
  uint16_t typeId = 10;
  std::string name;  // empty: the numeric id nameId
  uint16_t nameId = 0;
  std::string data;
};

// The DLL's bytes. Resources are laid out in the order of the resource directory (named entries
// sorted by their UTF-16 code units, then ids ascending), their data back to back, every resource
// tagged with the one language given (1031 German, for example).
std::string buildResourceDll(const std::vector<PeResource>& resources, uint64_t imageBase,
                             uint16_t language);
