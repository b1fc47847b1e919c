// Reading a whole file for the setup tool, letting other programs read and write it meanwhile (the
// log the plug-in writes while Creo runs, say).
#pragma once

#include <string>

bool readWholeFile(const std::wstring& path, std::string* bytes);
