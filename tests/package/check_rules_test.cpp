// The setup tool's check and report rules, from the texts and bytes the Windows side reads.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "check_report.h"
#include "installation_check.h"
#include "pe_image.h"
#include "profile_check.h"
#include "registry_text.h"
#include "report_text.h"

namespace {

const std::string kEntry =
    "name KorvexCreo\r\nstartup dll\r\nexec_file C:\\Kx\\KorvexCreo.dll\r\ntext_dir "
    "C:\\Kx\\text\r\n"
    "allow_stop TRUE\r\nend\r\n";

TEST(CheckRulesTest, RegistryEntry) {
  const struct {
    std::string text;
    const char* line;  // the report's line, in part
    const char* execFile;
  } rows[] = {
      {kEntry, "OK    Registry entry KorvexCreo in R (line 1).", "C:\\Kx\\KorvexCreo.dll"},
      {"name other\r\nend\r\n# x\r\n" + kEntry, "(line 4)", "C:\\Kx\\KorvexCreo.dll"},
      {"name other\r\nend\r\n", "FAIL  R has no entry named KorvexCreo. Remedy: run install.cmd",
       ""},
      {kEntry.substr(0, kEntry.size() - 5), "it has no \"end\" line.", ""},
      {"name KorvexCreo\r\nstartup dll\r\nexec_file KorvexCreo.dll\r\ntext_dir C:\\t\r\nend\r\n",
       "its exec_file \"KorvexCreo.dll\" is not a full path.", ""},
      {"name KorvexCreo\r\nstartup exe\r\nexec_file C:\\k.dll\r\ntext_dir C:\\t\r\nend\r\n",
       "its \"startup\" is \"exe\", not \"dll\".", ""},
      {"name KorvexCreo\r\nexec_file C:\\k.dll\r\ntext_dri C:\\t\r\nend\r\n",
       "it has the unknown keyword \"text_dri\" (line 3).", ""},
      {"name KorvexCreo\r\nstartup dll\r\nexec_file\r\ntext_dir C:\\t\r\nend\r\n",
       "its \"exec_file\" has no value (line 3).", ""},
      {"name KorvexCreo\r\nstartup dll\r\nname Other\r\nend\r\n",
       "its \"end\" line is missing before line 3.", ""},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    CheckReport report;
    const installation_check::Entry entry =
        installation_check::checkRegistry("R", &rows[i].text, report);
    EXPECT_NE(report.text().find(rows[i].line), std::string::npos)
        << "row " << i << ": " << report.text();
    EXPECT_EQ(entry.mExecFile, rows[i].execFile) << "row " << i;
    EXPECT_EQ(report.exitCode(), *rows[i].execFile ? 0 : 1) << "row " << i;
  }
  CheckReport none;
  installation_check::checkRegistry("R", nullptr, none);
  EXPECT_NE(none.text().find("FAIL  There is no registry file R,"), std::string::npos);
}

// A PE32+ DLL's bytes as far as the check reads them: headers, one section, the export names.
std::string peImage(uint16_t machine, uint16_t characteristics, std::vector<std::string> names) {
  std::string b(0x400, '\0');
  auto put16 = [&](size_t at, uint32_t v) { b[at] = char(v), b[at + 1] = char(v >> 8); };
  auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xffff), put16(at + 2, v >> 16); };
  b[0] = 'M', b[1] = 'Z';
  put32(0x3c, 0x80);
  b.replace(0x80, 4, std::string("PE\0\0", 4));
  put16(0x84, machine);
  put16(0x86, 1);     // one section
  put16(0x94, 0xf0);  // optional header size
  put16(0x96, characteristics);
  put16(0x98, 0x20b);         // PE32+
  put32(0x98 + 112, 0x1000);  // export table address
  const size_t section = 0x98 + 0xf0;
  put32(section + 8, 0x200), put32(section + 12, 0x1000), put32(section + 16, 0x200);
  put32(section + 20, 0x200);  // the section's bytes from 0x200 on, at address 0x1000
  put32(0x200 + 24, static_cast<uint32_t>(names.size()));
  put32(0x200 + 32, 0x1040);
  uint32_t text = 0x1080;
  for (size_t i = 0; i < names.size(); ++i) {
    put32(0x240 + 4 * i, text);
    b.replace(text - 0x1000 + 0x200, names[i].size() + 1, names[i] + '\0');
    text += static_cast<uint32_t>(names[i].size() + 1);
  }
  return b;
}

TEST(CheckRulesTest, PluginFile) {
  const std::vector<std::string> both = {"user_initialize", "user_terminate"};
  const struct {
    std::string bytes;
    const char* line;
  } rows[] = {
      {peImage(0x8664, 0x2022, both), "OK    Plug-in file P: a 64-bit DLL"},
      {peImage(0x8664, 0x2022, {"user_initialize", "user_terminat"}),
       "FAIL  The plug-in file P cannot be the plug-in: it has no entry point user_terminate."},
      {peImage(0x14c, 0x2022, both), "it is not a 64-bit program file."},
      {peImage(0x8664, 0x0022, both), "it is not a DLL."},
      {"MZ just text", "it is not a Windows program file."},
      {peImage(0x8664, 0x2022, both).substr(0, 0x190), "its section table is cut off."},
      {peImage(0x8664, 0x2022, both).substr(0, 0x250), "its export names are cut off."},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    CheckReport report;
    EXPECT_EQ(installation_check::checkPluginFile("P", &rows[i].bytes, report), i == 0)
        << "row " << i;
    EXPECT_NE(report.text().find(rows[i].line), std::string::npos)
        << "row " << i << ": " << report.text();
  }
}

// A complete menu file as the plug-in writes it: CR LF lines, a single space last.
std::string menuFile() {
  const char* const modes[] = {
      "Sketcher",     "Part",        "Sheet_Metal", "Composite", "Scan_Model",  "Assembly",
      "Drawing",      "Manufacture", "Mold",        "Cast",      "Dieface",     "Layout",
      "Format",       "Report",      "Markup",      "Diagram",   "Interchange", "Legacy",
      "User_Defined", "Verify",      "Process",     "Nc_Model",  "Default"};
  std::string text = "# PTC Creo menubar file\r\n \r\n[Modes]\r\n";
  for (size_t i = 0; i < std::size(modes); ++i)
    text += std::string(modes[i]) + " = " + std::to_string(i + 1) + "\r\n";
  return text +
         " \r\n[MenuBar]\r\n0Korvex = {}\r\n"
         "1Toggle Scroll Mode= {}KX_Toggle_Scroll_Mode|Switches scrolling.\r\n"
         "1Toggle Move Mode= {+ 6}KX_Toggle_Object_Move_Mode|Switches movement.\r\n"
         "0View = {}\r\n1Refit = {}ProCmdViewRefit|Refits.\r\n ";
}

TEST(CheckRulesTest, MenuFile) {
  const std::string good = menuFile();
  std::string german = good;
  german.replace(german.find("1Toggle Scroll Mode"), 19, "1Fensterrollmodus umschalten");
  const struct {
    std::string bytes;
    const char* line;
  } rows[] = {
      {good, "OK    Menu file M: English or another language, 23 modes, 3 commands."},
      {german, "OK    Menu file M: German, 23 modes, 3 commands."},
      {good.substr(0, good.size() - 1), "FAIL  The menu file M is cut off or damaged ("},
      {good.substr(0, 120), "FAIL  The menu file M is cut off or damaged (6 modes, 0 commands)"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    CheckReport report;
    profile_check::checkMenuFile("M", &rows[i].bytes, report);
    EXPECT_NE(report.text().find(rows[i].line), std::string::npos)
        << "row " << i << ": " << report.text();
  }
}

TEST(CheckRulesTest, ReportKeepsToItsLimits) {
  ReportParts parts;
  parts.mVersion = "9.9";
  parts.mCheck = "OK    all\n";
  parts.mRegistryPath = "R";
  parts.mRegistry = std::make_unique<std::string>("name x\r\nend\r\n" + kEntry);
  parts.mMenuPath = "M";
  std::string menu;
  for (int i = 0; i < 100; ++i) menu += "line " + std::to_string(i) + "\r\n";
  parts.mMenu = std::make_unique<std::string>(menu);
  parts.mLogPath = "L";
  std::string log;
  for (int i = 0; log.size() < 3 * ReportParts::kLogTailBytes; ++i)
    log += "entry " + std::to_string(i) + "\r\n";
  parts.mLog = std::make_unique<std::string>(log);
  const std::string text = reportText(parts);
  EXPECT_LT(text.size(), 2 * ReportParts::kLogTailBytes + 10000);
  const char* const pieces[] = {
      "setup tool 9.9: support report\r\n",
      "\r\n===== Check =====\r\nOK    all\r\n",
      "===== Settings file:  =====\r\n(not there)\r\n",
      "===== Registry entry: R =====\r\n3: name KorvexCreo\r\n4: startup dll\r\n",
      "7: allow_stop TRUE\r\nend\r\n",
      "line 39\r\n(",
      "===== Log, its end: L =====\r\n(",
  };
  for (size_t i = 0; i < std::size(pieces); ++i)
    EXPECT_NE(text.find(pieces[i]), std::string::npos)
        << "piece " << i << ": " << text.substr(0, 800);
  EXPECT_EQ(text.find("line 40\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 20), log.substr(log.size() - 20));
  EXPECT_EQ(text.find("\r\r"), std::string::npos);
}

}  // namespace
