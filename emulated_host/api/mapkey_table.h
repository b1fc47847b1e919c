// Mapkeys defined through the "mapkey" configuration option, and the typed keys that start them.
#ifndef KX_EMULATED_HOST_MAPKEY_TABLE_H
#define KX_EMULATED_HOST_MAPKEY_TABLE_H

#include <string>
#include <vector>

#include "api/macro_text.h"

struct Mapkey {
  std::string keys;
  std::string definition;
  std::vector<MacroStep> steps;
};

class MapkeyTable {
 public:
  // Value: the key sequence, a space, then the macro steps. A new definition of the same keys
  // replaces the old one.
  bool define(const std::string& value, std::string* error);
  const Mapkey* find(const std::string& keys) const;
  size_t size() const { return mMapkeys.size(); }

  // Feeds one typed character; returns the mapkey whose keys were just completed, else null.
  const Mapkey* feed(char c);
  const std::string& pending() const { return mTyped; }
  void resetTyping() { mTyped.clear(); }

 private:
  std::vector<Mapkey> mMapkeys;
  std::string mTyped;
};

#endif
