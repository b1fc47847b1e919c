// The resource walk and the catalogue build over DLLs the installation generator wrote into the
// build tree: a small fixture with one resource per case, and the host's installation at real
// scale.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "config_test_util.h"
#include "logging.h"
#include "mnu_parser.h"

namespace {

const std::string kBuild = kxtest::wineZPath(KX_BUILD_DIR);
const std::string kResources = kBuild + "\\text\\compiled_resource";

// Warnings and debug entries on the console, where the tests read them.
class CatalogueLog : public kxtest::LogTest {
 protected:
  void SetUp() override { logToConsole({&LogPars::mIsWarning, &LogPars::mIsDebug}); }
};

TEST_F(CatalogueLog, WalkOverTheSmallFixture) {
  // English or not, and the labels of the two commands.
  const std::tuple<bool, const char*, const char*> rows[] = {{false, "Alfa", "B\xE4ta"},
                                                             {true, "Alpha", "Beta"}};
  for (const auto& [english, alpha, beta] : rows) {
    SCOPED_TRACE(english ? "English" : "German");
    clearConsole();
    std::atomic<double> progress{0.0};
    MNUParser parser;
    parser.mIsEnglish = english;
    parser.mProgress = &progress;
    ASSERT_TRUE(parser.ExtractResources(kBuild + "\\fixtures\\small_resources.dll"));
    ASSERT_EQ(parser.mPanes.size(), 1u);
    EXPECT_EQ(parser.mPanes.count("A"), 1u);
    ASSERT_EQ(parser.mPaneCommands.size(), 1u);
    const std::vector<MNUCommand>& a = parser.mPaneCommands["A"];
    ASSERT_EQ(a.size(), 2u);
    // The alpha text ends without a line end right where the beta text begins.
    EXPECT_EQ(a[0].key, "PROCMDALPHA");
    EXPECT_EQ(a[0].command, "ProCmdAlpha");
    EXPECT_EQ(a[0].label, alpha);
    EXPECT_EQ(a[1].key, "PROCMDBETA");
    EXPECT_EQ(a[1].label, beta);
    // One pane, two command texts with data; the empty and the unfound ones do not count.
    EXPECT_DOUBLE_EQ(progress, 0.006 + 2 * 0.00017142857142857145);
    EXPECT_TRUE(consoleHas("Invalid Resource name: PROCMDGAMMA.TXT")) << console();
    EXPECT_TRUE(consoleHas("Invalid Resource name: b_pane.res"));
    EXPECT_TRUE(consoleHas("Leere Datei in DLL-Resource: PROCMDEMPTY.TXT"));
    EXPECT_FALSE(consoleHas("HELP.TXT"));
  }
}

// One of the walk's Win32 calls fails for one resource; the others answer as Win32 does.
enum FailingCall { kFind, kSize, kLoad, kLockNull, kLockThrows };
struct Fault {
  FailingCall call;
  std::string name;
  HRSRC__* found;
  void* loaded;
} gFault;

HRSRC__* faultyFind(HINSTANCE__* module, const char* name, const char* type) {
  HRSRC__* found = MNUParser::kWin32ResourceCalls.findResource(module, name, type);
  if (gFault.name != name) return found;
  gFault.found = found;
  return gFault.call == kFind ? nullptr : found;
}
unsigned long faultySize(HINSTANCE__* module, HRSRC__* found) {
  if (found == gFault.found && gFault.call == kSize) return 0;
  return MNUParser::kWin32ResourceCalls.sizeofResource(module, found);
}
void* faultyLoad(HINSTANCE__* module, HRSRC__* found) {
  void* loaded = MNUParser::kWin32ResourceCalls.loadResource(module, found);
  if (found != gFault.found) return loaded;
  gFault.loaded = loaded;
  return gFault.call == kLoad ? nullptr : loaded;
}
const void* faultyLock(void* loaded) {
  if (loaded == gFault.loaded && gFault.call == kLockNull) return nullptr;
  // Memory running out while the resource is handled.
  if (loaded == gFault.loaded && gFault.call == kLockThrows) throw std::bad_alloc();
  return MNUParser::kWin32ResourceCalls.lockResource(loaded);
}

TEST_F(CatalogueLog, EachResourceCallFailingInTurn) {
  struct Row {
    FailingCall call;
    const char* name;
    const char* level;
    const char* text;
    const char* commands;  // keys in pane A, in order
  } rows[] = {
      {kFind, "PROCMDALPHA.TXT", "|ERR|", "Invalid Resource name: PROCMDALPHA.TXT", "PROCMDBETA"},
      {kSize, "PROCMDALPHA.TXT", "|WRN|", "Leere Datei in DLL-Resource: PROCMDALPHA.TXT",
       "PROCMDBETA"},
      {kLoad, "PROCMDALPHA.TXT", "|ERR|", "Kann Datei in DLL-Resource nicht laden: PROCMDALPHA.TXT",
       "PROCMDBETA"},
      {kLockNull, "PROCMDALPHA.TXT", "|ERR|",
       "Kann Datei in DLL-Resource nicht locken: PROCMDALPHA.TXT", "PROCMDBETA"},
      {kLockThrows, "PROCMDALPHA.TXT", "|ERR|", "Error EnumNamesFunc()", "PROCMDBETA"},
      {kLoad, "PROCMDBETA.TXT", "|ERR|", "Kann Datei in DLL-Resource nicht laden: PROCMDBETA.TXT",
       "PROCMDALPHA"},
      {kLockThrows, "PROCMDBETA.TXT", "|ERR|", "Error EnumNamesFunc()", "PROCMDALPHA"},
      // Without the pane the command texts are still read, but land nowhere.
      {kLockNull, "A_PANE.RES", "|ERR|", "Kann Datei in DLL-Resource nicht locken: A_PANE.RES", ""},
      {kLockThrows, "A_PANE.RES", "|ERR|", "Error EnumNamesFunc()", ""},
  };
  MNUParser::sResourceCalls = {faultyFind, faultySize, faultyLoad, faultyLock};
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    clearConsole();
    gFault = {rows[i].call, rows[i].name, nullptr, nullptr};
    std::atomic<double> progress{0.0};
    MNUParser parser;
    parser.mProgress = &progress;
    EXPECT_TRUE(parser.ExtractResources(kBuild + "\\fixtures\\small_resources.dll"));
    EXPECT_NE(consoleLine(rows[i].text).find(rows[i].level), std::string::npos) << console();
    // The fault is the walk's only complaint beside those the fixture always gives.
    EXPECT_EQ(console().find("Error"), console().rfind("Error")) << console();
    EXPECT_EQ(console().find("Kann Datei"), console().rfind("Kann Datei"));
    EXPECT_TRUE(consoleHas("Leere Datei in DLL-Resource: PROCMDEMPTY.TXT"));
    EXPECT_TRUE(consoleHas("Invalid Resource name: PROCMDGAMMA.TXT"));
    std::string keys;
    for (const auto& pane : parser.mPaneCommands) {
      for (const MNUCommand& c : pane.second) keys += (keys.empty() ? "" : " ") + c.key;
    }
    EXPECT_EQ(keys, rows[i].commands);
    // The pane's step and one command text's, as the fault takes the other; without the pane
    // both command texts' steps.
    const bool isPaneLost = std::string(rows[i].name) == "A_PANE.RES";
    EXPECT_EQ(parser.mPanes.count("A"), isPaneLost ? 0u : 1u);
    EXPECT_DOUBLE_EQ(progress,
                     isPaneLost ? 2 * 0.00017142857142857145 : 0.006 + 0.00017142857142857145);
  }
  MNUParser::sResourceCalls = MNUParser::kWin32ResourceCalls;
}

// A language without its DLL and a DLL that does not load are the first-start scenarios'
// (without_language_dll, broken_dll), each with its line and the DLL's path.
TEST_F(CatalogueLog, FailuresBeforeWriting) {
  kxtest::writeBinary(mDir + "\\pro_default_german_resources.dll", "only the language DLL");
  struct Row {
    std::string dir;
    const char* language;
    std::string error;  // empty: no ERR line at all
  } rows[] = {
      {"", "german", ""},
      {kResources, "English",
       "Compiled Language Resource File does not exist: " + kResources +
           "\\pro_default_English_resources.dll"},
      {mDir + "\\", "german",
       "Compiled Main Resource File does not exist: " + mDir + "\\pro_default_resources.dll"},
      {mDir, "english",
       "Compiled Main Resource File does not exist: " + mDir + "\\pro_default_resources.dll"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    clearConsole();
    const std::string menu = mDir + "\\Creo_" + std::to_string(i) + ".mnu";
    std::atomic<double> progress{0.0};
    MNUParser parser;
    EXPECT_FALSE(parser.CreateMNU(menu, rows[i].dir, rows[i].language, &progress));
    EXPECT_FALSE(kxtest::fileExists(menu));
    if (rows[i].error.empty()) {
      EXPECT_EQ(console().find("ERR"), std::string::npos) << console();
    } else {
      EXPECT_TRUE(consoleHas(rows[i].error)) << console();
    }
    EXPECT_TRUE(parser.mPaneCommands.empty());
  }
}

// A menu file already there is the user's: the build never writes over it. The real-scale build's
// bytes are compared by the first-start scenarios.
TEST_F(CatalogueLog, ExistingMenuFileIsNeverRewritten) {
  const std::string menu = mDir + "\\Creo.mnu";
  kxtest::writeBinary(menu, "kept");
  std::atomic<double> progress{0.0};
  MNUParser parser;
  EXPECT_FALSE(parser.CreateMNU(menu, kResources, "english", &progress));
  EXPECT_EQ(kxtest::readBinary(menu), "kept");
  EXPECT_FALSE(consoleHas("Create MNU File")) << console();
}

// The catalogue converts texts by a table of the ANSI code page where it can; it must give the
// bytes the system's conversion gives, and leave anything else to the system.
TEST(AnsiConversion, TableAgreesWithTheSystem) {
  auto utf8 = [](unsigned codePoint) {
    std::string text = "x";
    if (codePoint < 0x80) {
      text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
      text += static_cast<char>(0xC0 | (codePoint >> 6));
      text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
      text += static_cast<char>(0xE0 | (codePoint >> 12));
      text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return text + "y";
  };
  std::vector<std::string> rows = {
      "B\xC3\xA4ta \xE2\x82\xAC und \xC3\x9F\r\nzweite Zeile",  // umlaut, euro sign, sharp s
      "\xE4\xB8\xAD",                                           // no ANSI form
      "\xC4\x80 best fit",                                      // may become a plain letter
      "\xC3",                                                   // cut off at the end
      "\xE2\x82",                                               // cut off at the end
      "\xC0\x80 overlong",                                      // overlong forms
      "\xE0\x80\x80 overlong",                                  //
      "\xC1\xBF \xE0\x9F\xBF",                                  // the longest overlong forms
      "\xED\xA0\x80 surrogate",                                 // an encoded surrogate
      "\xF0\x9F\x98\x80 four",                                  // beyond 0xFFFF
      "\x80 lone continuation",                                 //
      "\xFF\xFE bytes",                                         // never UTF-8
      std::string("NUL\0inside", 10),
      "exactly eight bytes then \xC3\xA4 after 24 ASCII bytes",
  };
  for (unsigned c = 1; c < 0x10000; ++c) {
    if (c < 0xD800 || c > 0xDFFF) rows.push_back(utf8(c));
  }
  MNUParser parser;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string converted(parser.ConvertToAnsi(rows[i].data(), rows[i].size()));
    const std::string bySystem(parser.ConvertToAnsiBySystem(rows[i].data(), rows[i].size()));
    ASSERT_EQ(converted, bySystem) << "row " << i;
  }
  // The table's answer for a text the system could convert otherwise is never used.
  std::vector<char> out;
  const unsigned char table[0x10000] = {};
  for (const char* text : {"\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF0\x9F\x98\x80", "\xFF"}) {
    EXPECT_FALSE(convertUtf8ByTable(text, table, &out)) << text;
  }
}

}  // namespace
