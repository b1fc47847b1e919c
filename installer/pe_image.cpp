#include "pe_image.h"

namespace {

// Little-endian reads that fail (return false) instead of reading beyond the bytes.
class Bytes {
 public:
  explicit Bytes(const std::string& bytes) : mBytes(bytes) {}
  bool u16(size_t at, uint16_t* out) const {
    if (at > mBytes.size() || mBytes.size() - at < 2) return false;
    *out = static_cast<uint16_t>(byte(at) | byte(at + 1) << 8);
    return true;
  }
  bool u32(size_t at, uint32_t* out) const {
    if (at > mBytes.size() || mBytes.size() - at < 4) return false;
    *out = byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 |
           static_cast<uint32_t>(byte(at + 3)) << 24;
    return true;
  }
  bool text(size_t at, std::string* out) const {
    if (at >= mBytes.size()) return false;
    const size_t end = mBytes.find('\0', at);
    if (end == std::string::npos) return false;
    *out = mBytes.substr(at, end - at);
    return true;
  }

 private:
  uint32_t byte(size_t at) const { return static_cast<unsigned char>(mBytes[at]); }
  const std::string& mBytes;
};

struct Section {
  uint32_t mAddress, mSize, mFileOffset;
};

// The file offset of an address of the loaded image, or 0 when no section holds it.
size_t fileOffset(const std::vector<Section>& sections, uint32_t address) {
  for (const Section& s : sections)
    if (address >= s.mAddress && address - s.mAddress < s.mSize)
      return s.mFileOffset + (address - s.mAddress);
  return 0;
}

}  // namespace

PeImage PeImage::read(const std::string& bytes) {
  PeImage image;
  const Bytes b(bytes);
  uint32_t peAt = 0, signature = 0;
  if (bytes.compare(0, 2, "MZ") != 0 || !b.u32(0x3c, &peAt) || !b.u32(peAt, &signature) ||
      signature != 0x4550) {
    image.mError = "it is not a Windows program file";
    return image;
  }
  const size_t coff = peAt + 4;
  uint16_t sectionCount = 0, optionalSize = 0, characteristics = 0, magic = 0;
  if (!b.u16(coff, &image.mMachine) || !b.u16(coff + 2, &sectionCount) ||
      !b.u16(coff + 16, &optionalSize) || !b.u16(coff + 18, &characteristics) ||
      !b.u16(coff + 20, &magic)) {
    image.mError = "its header is cut off";
    return image;
  }
  image.mIsDll = (characteristics & 0x2000) != 0;
  const size_t optional = coff + 20;
  // The export table's entry among the data directories: PE32+ and PE32 place them differently.
  const size_t exportEntry = optional + (magic == 0x20b ? 112 : 96);
  std::vector<Section> sections;
  for (size_t i = 0, at = optional + optionalSize; i < sectionCount; ++i, at += 40) {
    Section s{};
    uint32_t rawSize = 0;
    if (!b.u32(at + 8, &s.mSize) || !b.u32(at + 12, &s.mAddress) || !b.u32(at + 16, &rawSize) ||
        !b.u32(at + 20, &s.mFileOffset)) {
      image.mError = "its section table is cut off";
      return image;
    }
    if (rawSize > s.mSize) s.mSize = rawSize;
    sections.push_back(s);
  }
  uint32_t exportAddress = 0;
  if (!b.u32(exportEntry, &exportAddress) || exportAddress == 0) return image;
  const size_t directory = fileOffset(sections, exportAddress);
  uint32_t nameCount = 0, namesAddress = 0;
  if (directory == 0 || !b.u32(directory + 24, &nameCount) ||
      !b.u32(directory + 32, &namesAddress)) {
    image.mError = "its export table is cut off";
    return image;
  }
  const size_t names = fileOffset(sections, namesAddress);
  for (uint32_t i = 0; i < nameCount; ++i) {
    uint32_t nameAddress = 0;
    std::string name;
    size_t at = 0;
    if (names == 0 || !b.u32(names + 4 * size_t{i}, &nameAddress) ||
        (at = fileOffset(sections, nameAddress)) == 0 || !b.text(at, &name)) {
      image.mError = "its export names are cut off";
      return image;
    }
    image.mExportNames.push_back(name);
  }
  return image;
}
