#include "pe_resource_dll.h"

#include <map>
#include <stdexcept>

namespace {

struct Key {
  bool named;
  std::string name;
  uint16_t id;
  bool operator<(const Key& other) const {
    if (named != other.named) return named;  // named entries first
    if (named) return name < other.name;     // ASCII names: bytes order as UTF-16 units
    return id < other.id;
  }
};

void put16(std::string& out, size_t at, uint32_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, size_t at, uint32_t v) {
  put16(out, at, v & 0xFFFF);
  put16(out, at + 2, v >> 16);
}
void put64(std::string& out, size_t at, uint64_t v) {
  put32(out, at, static_cast<uint32_t>(v));
  put32(out, at + 4, static_cast<uint32_t>(v >> 32));
}
uint32_t alignUp(uint32_t v, uint32_t a) { return (v + a - 1) / a * a; }

using NameMap = std::map<Key, const PeResource*>;
using TypeMap = std::map<Key, NameMap>;

const uint32_t kSectionRva = 0x1000;

// Where each part of the resource section goes.
struct SectionLayout {
  std::map<const NameMap*, uint32_t> typeDir;
  std::map<const PeResource*, uint32_t> langDir, dataEntry, dataAt;
  std::map<std::string, uint32_t> strings;
  uint32_t size = 0;
};

SectionLayout layOutSection(const TypeMap& types) {
  SectionLayout layout;
  auto& typeDir = layout.typeDir;
  auto& langDir = layout.langDir;
  auto& dataEntry = layout.dataEntry;
  auto& dataAt = layout.dataAt;
  auto& strings = layout.strings;
  auto dirSize = [](size_t entries) { return static_cast<uint32_t>(16 + 8 * entries); };
  // Offsets: root, type directories, name directories, language directories, data entries,
  // name strings, data.
  uint32_t offset = dirSize(types.size());
  for (const auto& t : types) {
    typeDir[&t.second] = offset;
    offset += dirSize(t.second.size());
  }
  for (const auto& t : types)
    for (const auto& n : t.second) {
      langDir[n.second] = offset;
      offset += dirSize(1);
    }
  for (const auto& t : types)
    for (const auto& n : t.second) {
      dataEntry[n.second] = offset;
      offset += 16;
    }
  auto addString = [&](const std::string& s) {
    if (strings.count(s)) return;
    strings[s] = offset;
    offset += static_cast<uint32_t>(2 + 2 * s.size());
  };
  for (const auto& t : types) {
    if (t.first.named) addString(t.first.name);
    for (const auto& n : t.second)
      if (n.first.named) addString(n.first.name);
  }
  offset = alignUp(offset, 8);
  for (const auto& t : types)
    for (const auto& n : t.second) {
      dataAt[n.second] = offset;
      offset += static_cast<uint32_t>(n.second->data.size());
    }
  layout.size = offset;
  return layout;
}

std::string buildSection(const TypeMap& types, uint16_t language) {
  SectionLayout layout = layOutSection(types);
  auto& typeDir = layout.typeDir;
  auto& langDir = layout.langDir;
  auto& dataEntry = layout.dataEntry;
  auto& dataAt = layout.dataAt;
  auto& strings = layout.strings;
  std::string out(layout.size, '\0');

  auto writeDir = [&](uint32_t at, size_t named, size_t ids) {
    put16(out, at + 12, static_cast<uint32_t>(named));
    put16(out, at + 14, static_cast<uint32_t>(ids));
  };
  auto countNamed = [](const auto& map) {
    size_t n = 0;
    for (const auto& e : map) n += e.first.named ? 1 : 0;
    return n;
  };
  auto entryName = [&](const Key& k) { return k.named ? (0x80000000u | strings[k.name]) : k.id; };

  writeDir(0, countNamed(types), types.size() - countNamed(types));
  uint32_t at = 16;
  for (const auto& t : types) {
    put32(out, at, entryName(t.first));
    put32(out, at + 4, 0x80000000u | typeDir[&t.second]);
    at += 8;
    const uint32_t dir = typeDir[&t.second];
    writeDir(dir, countNamed(t.second), t.second.size() - countNamed(t.second));
    uint32_t nameAt = dir + 16;
    for (const auto& n : t.second) {
      put32(out, nameAt, entryName(n.first));
      put32(out, nameAt + 4, 0x80000000u | langDir[n.second]);
      nameAt += 8;
      const uint32_t lang = langDir[n.second];
      writeDir(lang, 0, 1);
      put32(out, lang + 16, language);
      put32(out, lang + 20, dataEntry[n.second]);
      const uint32_t entry = dataEntry[n.second];
      put32(out, entry, kSectionRva + dataAt[n.second]);
      put32(out, entry + 4, static_cast<uint32_t>(n.second->data.size()));
      out.replace(dataAt[n.second], n.second->data.size(), n.second->data);
    }
  }
  for (const auto& s : strings) {
    put16(out, s.second, static_cast<uint32_t>(s.first.size()));
    for (size_t i = 0; i < s.first.size(); ++i)
      put16(out, s.second + 2 + 2 * i, static_cast<unsigned char>(s.first[i]));
  }
  return out;
}

}  // namespace

std::string buildResourceDll(const std::vector<PeResource>& resources, uint64_t imageBase,
                             uint16_t language) {
  TypeMap types;
  for (const PeResource& r : resources) {
    const Key type{!r.typeName.empty(), r.typeName, r.typeId};
    const Key name{!r.name.empty(), r.name, r.nameId};
    if (!types[type].emplace(name, &r).second)
      throw std::runtime_error("resource named twice in one type: " + r.name);
  }
  const std::string section = buildSection(types, language);
  const uint32_t fileAlign = 0x200, sectionAlign = 0x1000;
  const uint32_t rawSize = alignUp(static_cast<uint32_t>(section.size()), fileAlign);
  std::string out(fileAlign + rawSize, '\0');
  out[0] = 'M';
  out[1] = 'Z';
  put32(out, 0x3C, 0x40);
  const size_t pe = 0x40;
  out.replace(pe, 4, std::string("PE\0\0", 4));
  const size_t coff = pe + 4;
  put16(out, coff, 0x8664);       // x64
  put16(out, coff + 2, 1);        // one section
  put16(out, coff + 16, 240);     // optional header size
  put16(out, coff + 18, 0x2022);  // executable image, large addresses, DLL
  const size_t opt = coff + 20;
  put16(out, opt, 0x20B);  // PE32+
  out[opt + 2] = 2;
  put32(out, opt + 8, rawSize);       // initialised data
  put32(out, opt + 16, 0);            // no entry point
  put32(out, opt + 20, kSectionRva);  // base of code
  put64(out, opt + 24, imageBase);
  put32(out, opt + 32, sectionAlign);
  put32(out, opt + 36, fileAlign);
  put16(out, opt + 40, 6);  // OS version
  put16(out, opt + 48, 6);  // subsystem version
  put32(out, opt + 56, kSectionRva + alignUp(static_cast<uint32_t>(section.size()), sectionAlign));
  put32(out, opt + 60, fileAlign);  // headers
  put16(out, opt + 68, 2);          // GUI subsystem
  put16(out, opt + 70, 0x0100);     // NX compatible
  put64(out, opt + 72, 0x100000);
  put64(out, opt + 80, 0x1000);
  put64(out, opt + 88, 0x100000);
  put64(out, opt + 96, 0x1000);
  put32(out, opt + 108, 16);                   // data directories
  put32(out, opt + 112 + 2 * 8, kSectionRva);  // resource directory
  put32(out, opt + 112 + 2 * 8 + 4, static_cast<uint32_t>(section.size()));
  const size_t sec = opt + 240;
  out.replace(sec, 5, ".rsrc");
  put32(out, sec + 8, static_cast<uint32_t>(section.size()));
  put32(out, sec + 12, kSectionRva);
  put32(out, sec + 16, rawSize);
  put32(out, sec + 20, fileAlign);
  put32(out, sec + 36, 0x40000040);  // initialised data, readable
  out.replace(fileAlign, section.size(), section);
  return out;
}
