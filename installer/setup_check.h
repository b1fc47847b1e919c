// The setup tool's "check" and "report": the Windows side that gathers the files and hands them to
// the pure rules (installation_check, profile_check, report_text).
#pragma once

#include <string>

namespace setup_check {

// The check's text for the host installation; returns its exit status (0: nothing failed).
int check(const std::wstring& hostDir, const std::wstring& packageDir, std::string* text);
// Writes the support report to the user's desktop and says where; returns 0 when written.
int report(const std::wstring& hostDir, const std::wstring& packageDir);

}  // namespace setup_check
