#include "windows/png_writer.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <cstdio>

namespace {

void append(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  const auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool PngWriter::write(const std::string& path, int width, int height,
                      const std::vector<uint8_t>& rgb, std::string* error) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) {
    *error = "bad image size for '" + path + "'";
    return false;
  }
  std::vector<uint8_t> data;
  if (!stbi_write_png_to_func(append, &data, width, height, 3, rgb.data(), width * 3)) {
    *error = "cannot encode '" + path + "'";
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = "cannot write '" + path + "'";
    return false;
  }
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) *error = "short write to '" + path + "'";
  return ok;
}
