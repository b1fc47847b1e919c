// Builds the command catalogue "Creo.mnu" from the host's compiled resource DLLs: pane layouts from
// the main DLL, one command text per command from the language DLL.
//
// The text logic needs no Windows header: classification, parsing and filing in mnu_parser.cpp,
// composing and writing the menu file in mnu_parser_write.cpp. Loading DLLs and walking their
// resources is in mnu_parser_resources.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mnu_command.h"

// The Win32 module and resource handles' own types, declared here so this header stays free of
// Windows headers.
struct HINSTANCE__;
struct HRSRC__;
#if defined(_WIN32)
#define KX_RESOURCE_CALLBACK __stdcall
#else
#define KX_RESOURCE_CALLBACK
#endif

// The Win32 calls the walk makes for each resource (FindResourceA, SizeofResource, LoadResource,
// LockResource). They default to the real ones; tests swap in their own to make one of them fail.
struct MNUResourceCalls {
  HRSRC__* (*findResource)(HINSTANCE__* module, const char* name, const char* type);
  unsigned long (*sizeofResource)(HINSTANCE__* module, HRSRC__* found);
  void* (*loadResource)(HINSTANCE__* module, HRSRC__* found);
  const void* (*lockResource)(void* loaded);
};

class MNUParser {
 public:
  enum ResourceKind { kSkippedResource, kCommandText, kPaneLayout };

  // The calls in use, and the real ones to go back to.
  static MNUResourceCalls sResourceCalls;
  static const MNUResourceCalls kWin32ResourceCalls;

  MNUParser();
  ~MNUParser();
  MNUParser(const MNUParser&) = delete;
  MNUParser& operator=(const MNUParser&) = delete;

  // The progress value is shared with a thread that polls it, hence atomic.
  bool CreateMNU(std::string mnuPath, std::string resourceDir, std::string language,
                 std::atomic<double>* progress);
  bool WriteMNUFile(std::string path);

  bool ExtractResources(const std::string& dllPath);
  static int KX_RESOURCE_CALLBACK EnumTypesFunc(HINSTANCE__* module, char* type, long long param);
  static int KX_RESOURCE_CALLBACK EnumNamesFunc(HINSTANCE__* module, const char* type, char* name,
                                                long long param);

  bool AddPane(const std::string& name, const std::string& text);
  MNUCommand ParseCommandText(const std::string& text) const;
  bool AddCommand(MNUCommand command);
  double GetProgress() const;

  // The kind of a resource by its name; `upperName` receives the name's upper-case copy.
  static ResourceKind ClassifyName(const std::string& name, std::string* upperName);
  // What the resource walk does with one resource's text once it has the bytes (command texts
  // already converted to the ANSI code page).
  void AddPaneResource(const std::string& upperName, const std::string& text);
  void AddCommandResource(const std::string& upperName, std::string_view convertedText);
  // A command text in the system's ANSI code page (Windows only).
  std::string_view ConvertToAnsi(const char* data, size_t size);
  // The same through the system's two conversion calls, which ConvertToAnsi saves where it can.
  std::string_view ConvertToAnsiBySystem(const char* data, size_t size);
  // The whole menu file's bytes as WriteMNUFile writes them; advances the progress per pane.
  std::string ComposeMNUText();
  void AdvanceProgress(double step, double ceiling);

  bool mIsEnglish = false;
  bool mIsGerman = false;
  std::map<std::string, std::pair<std::string, std::string>> mPanes;
  std::map<std::string, std::vector<MNUCommand>> mPaneCommands;
  std::atomic<double>* mProgress = nullptr;

  static MNUParser* sParserP;

  static constexpr double kPaneStep = 0.006;
  static constexpr double kPaneCeiling = 0.3;
  static constexpr double kCommandStep = (0.9 - 0.3) / 3500;
  static constexpr double kCommandCeiling = 0.9;
  static constexpr double kWriteCeiling = 0.999999;

 private:
  // Where each key starting with "PROCMD" first occurs in every pane: all "PROCMD" positions of
  // all upper-case pane texts, sorted by the text that follows them. Rebuilt after panes change.
  struct Occurrence {
    std::string_view rest;  // upper-case pane text from the position on
    uint64_t head;          // the eight bytes after the prefix, big-endian, zeros past the end
    size_t pane;            // index of the pane in mPanes' order
    size_t position;
  };
  void buildIndex();
  // The panes that mention `upperKey`, with the position of its first occurrence in each, in
  // the panes' order.
  void findInPanes(const std::string& upperKey);

  using PaneEntry = std::map<std::string, std::pair<std::string, std::string>>::value_type;
  std::vector<Occurrence> mIndex;
  std::vector<const PaneEntry*> mPaneOrder;          // mPanes in order, by pane index
  std::vector<std::vector<MNUCommand>*> mPaneLists;  // their lists, once they have one
  std::vector<std::pair<size_t, size_t>> mHits;      // pane index, position
  // Buffers kept from resource to resource.
  std::string mUpperName;
  std::vector<wchar_t> mWideText;
  std::vector<char> mAnsiText;
  // The ANSI byte of every code point below 0x10000, when the ANSI code page has one byte per
  // character; empty otherwise.
  std::vector<unsigned char> mAnsiOfCodePoint;
  bool mIsAnsiTableTried = false;
  bool mIsIndexValid = false;
};

// The fuzzable entry of the command-text parser: one command text as raw bytes.
MNUCommand parseCommandTextBytes(const uint8_t* data, size_t size, bool isEnglish);

// UTF-8 to a one-byte-per-character code page by the code page's table of the code points below
// 0x10000 (65536 entries). False, with `out` unspecified, for anything but well-formed UTF-8 of
// those code points: the system's conversion decides such texts.
bool convertUtf8ByTable(std::string_view text, const unsigned char* table, std::vector<char>* out);

// ASCII letters upper-cased, every other byte as it is.
std::string toUpperAscii(std::string text);
