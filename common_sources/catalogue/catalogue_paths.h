// Where the host is installed and which language its command catalogue is built in.
#pragma once

#include <functional>
#include <string>

// Walks up from the host executable's path to the first folder holding text\compiled_resource;
// never takes a drive root. Empty when there is none.
std::string findLoadPoint(const std::string& executablePath,
                          const std::function<bool(const std::string&)>& isDirectory);

// The system language, overridden by LANG, then PRO_LANG, then the setting; in lower case. A null
// variable is one that is not set.
std::string chooseCatalogueLanguage(const std::string& systemLanguage, const char* lang,
                                    const char* proLang, const std::string& setting);
