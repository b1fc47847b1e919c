// The setup tool's check as text: one line per finding, OK, WARN or FAIL, and for anything not OK
// the remedy in one sentence; headings between the groups; a closing count. No Windows header.
#pragma once

#include <string>
#include <vector>

class CheckReport {
 public:
  enum Status { kOk, kWarn, kFail };

  void heading(const std::string& title);
  void ok(const std::string& finding);
  void warn(const std::string& finding, const std::string& remedy);
  void fail(const std::string& finding, const std::string& remedy);

  std::string text() const;
  // 0 when nothing failed, 1 otherwise.
  int exitCode() const;
  size_t count(Status status) const;

 private:
  struct Line {
    bool mIsHeading;
    Status mStatus;
    std::string mText;
    std::string mRemedy;
  };
  std::vector<Line> mLines;
};
