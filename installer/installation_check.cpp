#include "installation_check.h"

#include <algorithm>
#include <vector>

#include "check_report.h"
#include "pe_image.h"
#include "registry_text.h"

namespace installation_check {

namespace {

const char* const kReinstall =
    "run install.cmd again with the same folder of your Creo installation.";

bool isAbsolute(const std::string& path) {
  return (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         path.compare(0, 2, "\\\\") == 0;
}

// What is wrong with the entry's lines, or empty.
std::string entryFault(const std::vector<registry_text::EntryLine>& lines, bool isEnded,
                       Entry* entry) {
  static const char* const kKnown[] = {"name",       "startup",  "exec_file",  "text_dir",
                                       "allow_stop", "revision", "delay_start"};
  int names = 0;
  std::string startup;
  for (const registry_text::EntryLine& l : lines) {
    const std::string at = " (line " + std::to_string(l.line) + ")";
    if (std::find(std::begin(kKnown), std::end(kKnown), l.keyword) == std::end(kKnown))
      return "it has the unknown keyword \"" + l.keyword + "\"" + at;
    if (l.value.empty()) return "its \"" + l.keyword + "\" has no value" + at;
    if (l.keyword == "name" && ++names > 1)
      return "its \"end\" line is missing before line " + std::to_string(l.line);
    if (l.keyword == "startup") startup = l.value;
    if (l.keyword == "exec_file") entry->mExecFile = l.value;
    if (l.keyword == "text_dir") entry->mTextDir = l.value;
  }
  if (!isEnded) return "it has no \"end\" line";
  if (startup != "dll") return "its \"startup\" is \"" + startup + "\", not \"dll\"";
  if (entry->mExecFile.empty()) return "it has no \"exec_file\"";
  if (entry->mTextDir.empty()) return "it has no \"text_dir\"";
  if (!isAbsolute(entry->mExecFile))
    return "its exec_file \"" + entry->mExecFile + "\" is not a full path";
  if (!isAbsolute(entry->mTextDir))
    return "its text_dir \"" + entry->mTextDir + "\" is not a full path";
  return "";
}

}  // namespace

Entry checkRegistry(const std::string& registryPath, const std::string* text, CheckReport& report) {
  Entry entry;
  if (!text) {
    report.fail("There is no registry file " + registryPath + ", so Creo starts no plug-in.",
                kReinstall);
    return entry;
  }
  bool isEnded = false;
  const std::vector<registry_text::EntryLine> lines =
      registry_text::entryNamed(*text, registry_text::kAppName, &isEnded);
  if (lines.empty()) {
    report.fail(registryPath + " has no entry named " + registry_text::kAppName + ".", kReinstall);
    return entry;
  }
  const std::string fault = entryFault(lines, isEnded, &entry);
  if (!fault.empty()) {
    report.fail("The " + std::string(registry_text::kAppName) + " entry of " + registryPath +
                    " is not well formed: " + fault + ".",
                kReinstall);
    return Entry();
  }
  report.ok("Registry entry " + std::string(registry_text::kAppName) + " in " + registryPath +
            " (line " + std::to_string(lines.front().line) + ").");
  return entry;
}

bool checkPluginFile(const std::string& path, const std::string* bytes, CheckReport& report) {
  if (!bytes) {
    report.fail("The plug-in file " + path + " named by exec_file is not there.", kReinstall);
    return false;
  }
  const PeImage image = PeImage::read(*bytes);
  std::string fault = image.mError;
  if (fault.empty() && image.mMachine != PeImage::kMachineX64)
    fault = "it is not a 64-bit program file";
  if (fault.empty() && !image.mIsDll) fault = "it is not a DLL";
  for (const char* name : {"user_initialize", "user_terminate"}) {
    const auto& names = image.mExportNames;
    if (fault.empty() && std::find(names.begin(), names.end(), name) == names.end())
      fault = std::string("it has no entry point ") + name;
  }
  if (!fault.empty()) {
    report.fail("The plug-in file " + path + " cannot be the plug-in: " + fault + ".", kReinstall);
    return false;
  }
  report.ok("Plug-in file " + path + ": a 64-bit DLL with user_initialize and user_terminate.");
  return true;
}

void checkMessageFile(const std::string& messageFile, bool isPresent, CheckReport& report) {
  if (!isPresent) {
    report.fail("The message file " + messageFile +
                    " is not there: Creo shows the menu \"Korvex\" without its labels.",
                kReinstall);
    return;
  }
  report.ok("Message file " + messageFile + ".");
}

void checkPackage(const std::string& version, const std::string* packageBytes,
                  const std::string* installedBytes, CheckReport& report) {
  if (!packageBytes || !installedBytes) {
    report.ok("This setup tool is of the package version " + version + ".");
  } else if (*packageBytes == *installedBytes) {
    report.ok("The installed plug-in is the one of this package, version " + version + ".");
  } else {
    report.warn(
        "The installed plug-in differs from the one of this package (version " + version + ").",
        "to install this version, run install.cmd of this package again.");
  }
}

}  // namespace installation_check
