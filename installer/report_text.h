// The support report's text: the check's output, the settings file, the registry entry, the head of
// the menu file and the end of the log, each under a heading naming its file, CR LF lines, at most
// a few hundred kB in all. No Windows header: built natively too.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

constexpr const char* kReportFileName = "KorvexCreo-report.txt";

struct ReportParts {
  std::string mVersion;
  std::string mCheck;
  // Each file's path and its bytes, null when there is none.
  std::string mSettingsPath;
  std::unique_ptr<std::string> mSettings;
  std::string mRegistryPath;
  std::unique_ptr<std::string> mRegistry;
  std::string mMenuPath;
  std::unique_ptr<std::string> mMenu;
  std::string mLogPath;
  std::unique_ptr<std::string> mLog;

  static constexpr size_t kMenuHeadLines = 40;
  static constexpr size_t kLogTailBytes = 200000;
  static constexpr size_t kFileBytes = 20000;
};

std::string reportText(const ReportParts& parts);
