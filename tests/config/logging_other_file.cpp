// Entries written from a second source file, for the single-file filter.
#include <string>

#include "logging.h"

void writeFromOtherFile(int32_t type, const std::string& text) { KXLOG(type) << text << LOG_END; }
