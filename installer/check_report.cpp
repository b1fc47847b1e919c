#include "check_report.h"

namespace {

const char* const kTags[] = {"OK  ", "WARN", "FAIL"};

}  // namespace

void CheckReport::heading(const std::string& title) { mLines.push_back({true, kOk, title, ""}); }

void CheckReport::ok(const std::string& finding) { mLines.push_back({false, kOk, finding, ""}); }

void CheckReport::warn(const std::string& finding, const std::string& remedy) {
  mLines.push_back({false, kWarn, finding, remedy});
}

void CheckReport::fail(const std::string& finding, const std::string& remedy) {
  mLines.push_back({false, kFail, finding, remedy});
}

std::string CheckReport::text() const {
  std::string text;
  for (const Line& line : mLines) {
    if (line.mIsHeading) {
      text += (text.empty() ? "" : "\n") + line.mText + "\n";
      continue;
    }
    text += std::string(kTags[line.mStatus]) + "  " + line.mText;
    if (line.mStatus != kOk) text += " Remedy: " + line.mRemedy;
    text += "\n";
  }
  text += "\n" + std::to_string(count(kFail)) + " FAIL, " + std::to_string(count(kWarn)) +
          " WARN, " + std::to_string(count(kOk)) + " OK\n";
  return text;
}

int CheckReport::exitCode() const { return count(kFail) == 0 ? 0 : 1; }

size_t CheckReport::count(Status status) const {
  size_t n = 0;
  for (const Line& line : mLines)
    if (!line.mIsHeading && line.mStatus == status) ++n;
  return n;
}
