// What the setup tool's check needs to know of a DLL file, read from its bytes: whether it is a
// 64-bit Windows DLL and the names it exports. No Windows header: built natively too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PeImage {
  // Empty when the bytes are a PE image; otherwise what is wrong with them.
  std::string mError;
  uint16_t mMachine = 0;  // 0x8664 for x64
  bool mIsDll = false;
  std::vector<std::string> mExportNames;

  static constexpr uint16_t kMachineX64 = 0x8664;
  static PeImage read(const std::string& bytes);
};
