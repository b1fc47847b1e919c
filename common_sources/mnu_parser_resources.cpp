// The catalogue build's Win32 side: which DLLs are read, loading them, and the walk over their
// resources. Everything done with a resource's bytes is in mnu_parser.cpp.
#include <windows.h>

#include <fstream>
#include <vector>

#include "logging.h"
#include "mnu_parser.h"

namespace {

bool canOpenForReading(const std::string& path) {
  std::ifstream file(path, std::ios::in | std::ios::binary);
  return file.is_open();
}

}  // namespace

const MNUResourceCalls MNUParser::kWin32ResourceCalls = {
    [](HMODULE module, const char* name, const char* type) {
      return FindResourceA(module, name, type);
    },
    [](HMODULE module, HRSRC found) -> unsigned long { return SizeofResource(module, found); },
    [](HMODULE module, HRSRC found) -> void* { return LoadResource(module, found); },
    [](void* loaded) -> const void* { return LockResource(loaded); },
};
MNUResourceCalls MNUParser::sResourceCalls = MNUParser::kWin32ResourceCalls;

// UTF-8 to the system's ANSI code page; a character without an ANSI form becomes a NUL byte. The
// result lives in the parser's buffer until the next text.
std::string_view MNUParser::ConvertToAnsi(const char* data, size_t size) {
  // With one byte per character, converting is a lookup per character: the code page's table,
  // taken once from the system, gives the very bytes the system's conversion would.
  if (!mIsAnsiTableTried) {
    mIsAnsiTableTried = true;
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1) {
      std::vector<wchar_t> all(0x10000);
      for (size_t c = 0; c < all.size(); ++c) {
        all[c] = (c >= 0xD800 && c <= 0xDFFF) ? 0 : static_cast<wchar_t>(c);
      }
      mAnsiOfCodePoint.resize(all.size());
      const int length = static_cast<int>(all.size());
      if (WideCharToMultiByte(CP_ACP, 0, all.data(), length,
                              reinterpret_cast<char*>(mAnsiOfCodePoint.data()), length, "",
                              nullptr) != length) {
        mAnsiOfCodePoint.clear();
      }
    }
  }
  if (!mAnsiOfCodePoint.empty() &&
      convertUtf8ByTable(std::string_view(data, size), mAnsiOfCodePoint.data(), &mAnsiText)) {
    return std::string_view(mAnsiText.data(), mAnsiText.size());
  }
  return ConvertToAnsiBySystem(data, size);
}

std::string_view MNUParser::ConvertToAnsiBySystem(const char* data, size_t size) {
  const int length = static_cast<int>(size);
  if (mWideText.size() < size) mWideText.resize(size);
  if (mAnsiText.size() < size) mAnsiText.resize(size);
  const int wideLength = MultiByteToWideChar(CP_UTF8, 0, data, length, mWideText.data(), length);
  if (wideLength <= 0) return std::string_view();
  const int ansiLength = WideCharToMultiByte(CP_ACP, 0, mWideText.data(), wideLength,
                                             mAnsiText.data(), length, "", nullptr);
  if (ansiLength <= 0) return std::string_view();
  return std::string_view(mAnsiText.data(), static_cast<size_t>(ansiLength));
}

bool MNUParser::CreateMNU(std::string mnuPath, std::string resourceDir, std::string language,
                          std::atomic<double>* progress) {
  try {
    mProgress = progress;
    mPanes.clear();
    mPaneCommands.clear();
    mIndex.clear();
    mPaneOrder.clear();
    mPaneLists.clear();
    mIsIndexValid = false;
    mIsEnglish = false;
    mIsGerman = false;
    if (resourceDir.empty()) return false;
    if (resourceDir.back() != '\\') resourceDir += '\\';
    const std::string mainDll = resourceDir + "pro_default_resources.dll";
    std::string languageDll;
    if (language == "english") {
      // English texts stand in the German DLL, on the line right after each marker.
      languageDll = resourceDir + "pro_default_german_resources.dll";
      mIsEnglish = true;
    } else {
      languageDll = resourceDir + "pro_default_" + language + "_resources.dll";
      if (language == "german") mIsGerman = true;
    }
    if (!canOpenForReading(languageDll)) {
      KXLOG(LOG_ERR) << "Compiled Language Resource File does not exist: " << languageDll
                     << LOG_END;
      return false;
    }
    if (!canOpenForReading(mainDll)) {
      KXLOG(LOG_ERR) << "Compiled Main Resource File does not exist: " << mainDll << LOG_END;
      return false;
    }
    // Pane layouts first: command texts are matched against the panes known at that moment.
    if (!ExtractResources(mainDll)) return false;
    if (mProgress) *mProgress = 0.3;
    if (!ExtractResources(languageDll)) return false;
    if (mProgress) *mProgress = 0.9;
    if (!WriteMNUFile(mnuPath)) return false;
    if (mProgress) *mProgress = kWriteCeiling;
    return true;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error CreateMNU()" << LOG_END;
    return false;
  }
}

bool MNUParser::ExtractResources(const std::string& dllPath) {
  HMODULE module = LoadLibraryA(dllPath.c_str());
  if (!module) {
    KXLOG(LOG_ERR) << "Cannot load DLL " << dllPath << LOG_END;
    return false;
  }
  EnumResourceTypesA(module, &MNUParser::EnumTypesFunc, 0);
  FreeLibrary(module);
  return true;
}

int KX_RESOURCE_CALLBACK MNUParser::EnumTypesFunc(HINSTANCE__* module, char* type, long long) {
  EnumResourceNamesA(module, type, &MNUParser::EnumNamesFunc, 0);
  return TRUE;
}

int KX_RESOURCE_CALLBACK MNUParser::EnumNamesFunc(HINSTANCE__* module, const char*, char* name,
                                                  long long) {
  try {
    MNUParser* parser = sParserP;
    if (!parser || IS_INTRESOURCE(name)) return TRUE;
    std::string& upperName = parser->mUpperName;
    const ResourceKind kind = ClassifyName(name, &upperName);
    if (kind == kSkippedResource) return TRUE;
    // Looked up as RCDATA whatever type is being walked.
    HRSRC found = sResourceCalls.findResource(module, name, MAKEINTRESOURCEA(10));
    if (!found) {
      KXLOG(LOG_ERR) << "Invalid Resource name: " << name << LOG_END;
      return TRUE;
    }
    const DWORD size = sResourceCalls.sizeofResource(module, found);
    HGLOBAL loaded = sResourceCalls.loadResource(module, found);
    if (!loaded) {
      KXLOG(LOG_ERR) << "Kann Datei in DLL-Resource nicht laden: " << name << LOG_END;
      return TRUE;
    }
    const void* data = sResourceCalls.lockResource(loaded);
    if (!data) {
      KXLOG(LOG_ERR) << "Kann Datei in DLL-Resource nicht locken: " << name << LOG_END;
      return TRUE;
    }
    // Exactly the resource's bytes: its data need not end with a NUL.
    if (size == 0) {
      KXLOG(LOG_WRN) << "Leere Datei in DLL-Resource: " << name << LOG_END;
      return TRUE;
    }
    if (kind == kPaneLayout) {
      parser->AddPaneResource(upperName, std::string(static_cast<const char*>(data), size));
    } else {
      parser->AddCommandResource(upperName,
                                 parser->ConvertToAnsi(static_cast<const char*>(data), size));
    }
  } catch (...) {
    KXLOG(LOG_ERR) << "Error EnumNamesFunc()" << LOG_END;
  }
  return TRUE;
}
