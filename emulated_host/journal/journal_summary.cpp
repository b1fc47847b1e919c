#include "journal/journal_summary.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "json_line.h"

bool JournalSummary::summarize(const std::string& path, std::string* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open journal '" + path + "'";
    return false;
  }
  // Events too frequent or too detailed for the story; they are still counted.
  static const std::set<std::string> kQuiet = {"step",
                                               "key_msg",
                                               "access_cb",
                                               "value_cb",
                                               "chkbutton_value_set",
                                               "notify_done",
                                               "action_done",
                                               "label",
                                               "api_calls",
                                               "selection_get",
                                               "notify_set",
                                               "command_add",
                                               "command_designate"};
  std::map<std::string, int> counts;
  std::string story;
  std::string line;
  int lineNo = 0;
  long long first = -1, last = -1;
  std::string runKind;
  int runLength = 0;
  std::map<std::string, std::string> f;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.empty() || line == "\r") continue;
    std::string why;
    if (!JsonLine::parse(line, &f, &why)) {
      *error = path + ":" + std::to_string(lineNo) + ": " + why;
      return false;
    }
    std::string ev = f.count("ev") ? f["ev"] : "?";
    ++counts[ev];
    long long t = f.count("t") ? std::atoll(f["t"].c_str()) : 0;
    if (first < 0) first = t;
    last = t;
    if (kQuiet.count(ev)) continue;
    // Long runs of one kind (navigation, scrolling) are told by their first three.
    if (ev == runKind) {
      if (++runLength > 3) continue;
    } else {
      if (runLength > 3)
        story +=
            "              ... and " + std::to_string(runLength - 3) + " more " + runKind + "\n";
      runKind = ev;
      runLength = 1;
    }
    std::string detail;
    for (auto& kv : f) {
      if (kv.first == "t" || kv.first == "ev" || kv.first == "matrix") continue;
      std::string v = kv.second.size() > 70 ? kv.second.substr(0, 67) + "..." : kv.second;
      detail += " " + kv.first + "=" + v;
    }
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8.3f s  ", (t - first) / 1000.0);
    story += std::string(stamp) + ev + detail + "\n";
  }
  if (runLength > 3)
    story += "              ... and " + std::to_string(runLength - 3) + " more " + runKind + "\n";
  *out = "Journal " + path + ": " + std::to_string(lineNo) + " lines over " +
         std::to_string(last >= first ? (last - first) : 0) + " ms\n\nEvents by kind:\n";
  for (auto& kv : counts) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "  %-22s %6d\n", kv.first.c_str(), kv.second);
    *out += buf;
  }
  *out += "\nSession:\n" + story;
  int faults = counts.count("fault") ? counts["fault"] : 0;
  int failed = counts.count("expect_failed") ? counts["expect_failed"] : 0;
  *out += "\nFaults: " + std::to_string(faults) +
          ", failed expectations: " + std::to_string(failed) + "\n";
  return true;
}
