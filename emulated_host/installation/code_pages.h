// UTF-8 to a Windows ANSI code page, as the system converts with flags 0 and an empty default
// character: the code page's own byte, else its best-fit letter, else a NUL byte.
#pragma once

#include <string>

// codePage: 1252 or 1250. Throws on another code page.
std::string utf8ToCodePage(const std::string& utf8, int codePage);
