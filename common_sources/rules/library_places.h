// Where the controller library is looked for, as full paths in order: beside the plug-in, in the
// system's folders, then in the folders of PATH. Never the current folder: a file of the library's
// name in the folder a user opens models from would otherwise be loaded into the host.
#pragma once

#include <string>
#include <vector>

// Each place is a folder joined with the file name; a folder that is not absolute (such as "." or
// an empty entry of PATH, both meaning the current folder) is skipped, as is a folder named twice
// (ignoring case and a trailing backslash). Quotes around an entry of PATH are dropped.
std::vector<std::string> libraryPlaces(const std::string& fileName, const std::string& pluginFolder,
                                       const std::vector<std::string>& systemFolders,
                                       const std::string& pathVariable);
