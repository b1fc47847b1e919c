#include "api/mapkey_table.h"

bool MapkeyTable::define(const std::string& value, std::string* error) {
  size_t space = value.find(' ');
  if (space == std::string::npos || space == 0) {
    *error = "mapkey needs a key sequence, a space and macro steps";
    return false;
  }
  Mapkey mk;
  mk.keys = value.substr(0, space);
  for (char c : mk.keys) {
    if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7f) {
      *error = "mapkey key sequence holds a character that cannot be typed";
      return false;
    }
  }
  mk.definition = value.substr(space + 1);
  if (!MacroText::parse(mk.definition, &mk.steps, error)) return false;
  for (Mapkey& old : mMapkeys) {
    if (old.keys == mk.keys) {
      old = mk;
      return true;
    }
  }
  mMapkeys.push_back(mk);
  return true;
}

const Mapkey* MapkeyTable::find(const std::string& keys) const {
  for (const Mapkey& mk : mMapkeys)
    if (mk.keys == keys) return &mk;
  return nullptr;
}

const Mapkey* MapkeyTable::feed(char c) {
  mTyped += c;
  if (const Mapkey* mk = find(mTyped)) {
    mTyped.clear();
    return mk;
  }
  // Keep only the longest tail that can still grow into a mapkey.
  while (!mTyped.empty()) {
    bool prefix = false;
    for (const Mapkey& mk : mMapkeys)
      if (mk.keys.compare(0, mTyped.size(), mTyped) == 0) prefix = true;
    if (prefix) break;
    mTyped.erase(0, 1);
  }
  return nullptr;
}
