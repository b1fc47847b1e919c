// Writes an RGB image as PNG, uncompressed (stored deflate blocks): screenshots need no zlib.
#ifndef KX_EMULATED_HOST_PNG_WRITER_H
#define KX_EMULATED_HOST_PNG_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

class PngWriter {
 public:
  // rgb: width*height*3 bytes, rows top to bottom.
  static std::vector<uint8_t> encode(int width, int height, const std::vector<uint8_t>& rgb);
  static bool write(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                    std::string* error);
  static uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0);
};

#endif
