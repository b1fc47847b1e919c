// Writes an RGB image as a compressed PNG file, through stb_image_write (Debian's libstb-dev).
#ifndef KX_EMULATED_HOST_PNG_WRITER_H
#define KX_EMULATED_HOST_PNG_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

class PngWriter {
 public:
  // rgb: width*height*3 bytes, rows top to bottom.
  static bool write(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                    std::string* error);
};

#endif
