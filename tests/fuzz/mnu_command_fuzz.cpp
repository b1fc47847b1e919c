// The catalogue's parser of one command text on arbitrary resource bytes: the texts of a real
// installation hold CR LF, missing line ends, NULs and bytes that are not text. Besides crashes and
// undefined behaviour: a label never keeps a single '&', and parsing is a function of the bytes.
#include <cstdint>
#include <string>

#include "fuzz_util.h"
#include "mnu_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the language offset, the rest is the text.
  const bool isEnglish = (data[0] & 1) != 0;
  const MNUCommand first = parseCommandTextBytes(data + 1, size - 1, isEnglish);
  const MNUCommand again = parseCommandTextBytes(data + 1, size - 1, isEnglish);
  if (first.label != again.label || first.helpText != again.helpText) {
    kxfuzz::fail("the same bytes parsed differently");
  }
  if (first.label.size() > size || first.helpText.size() > size) {
    kxfuzz::fail("a text longer than the resource");
  }
  return 0;
}
