// Helpers of the fuzz targets: a private folder for the files the readers open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kxfuzz {

// A folder of this process under the system's temporary folder, removed when the process ends.
const std::string& workDir();
// Writes the bytes as they are; aborts when the file cannot be written, as that is no finding.
void writeFile(const std::string& path, const uint8_t* data, size_t size);
// Stops the run with the message: the fuzzer keeps the input as a finding.
[[noreturn]] void fail(const std::string& message);

}  // namespace kxfuzz
