// Speed figures of the emulated host's own work: what a journal event costs, what a scenario's
// wait-until poll over a long journal costs, and the session calls a plug-in makes on every tick.
// Prints figures, asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "api/host_session.h"
#include "api/view_math.h"
#include "journal/host_journal.h"
#include "json_line.h"
#include "scenarios/journal_condition.h"

namespace {

using Clock = std::chrono::steady_clock;

double nanosecondsPer(Clock::time_point start, long count) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
         static_cast<double>(count);
}

std::string tempFile(const char* name) {
  const char* tmp = std::getenv("TEMP");
  return std::string(tmp ? tmp : ".") + "/" + name;
}

}  // namespace

int main() {
  const long kEvents = 20000;
  {
    HostJournal j;
    std::string error;
    if (!j.open(tempFile("kxh_bench_journal.jsonl"), &error)) {
      std::printf("%s\n", error.c_str());
      return 1;
    }
    double m[4][4];
    view_math::identity(m);
    auto start = Clock::now();
    for (long i = 0; i < kEvents; ++i)
      j.write(JsonLine("view_set").num("window", 1).matrix("matrix", m));
    std::printf("journal event with a matrix, flushed:   %10.0f ns\n",
                nanosecondsPer(start, kEvents));

    std::vector<std::string> lines = j.linesFrom(0);
    std::map<std::string, std::string> fields;
    start = Clock::now();
    for (const std::string& l : lines) JsonLine::parse(l, &fields, &error);
    std::printf("journal line parsed:                    %10.0f ns\n",
                nanosecondsPer(start, static_cast<long>(lines.size())));

    JournalCondition c;
    c.parse({"ev=never", "window=1"}, &error);
    const int kPolls = 20;
    start = Clock::now();
    for (int i = 0; i < kPolls; ++i) c.first(lines);
    std::printf("wait-until poll over %ld events:       %10.2f ms\n", kEvents,
                nanosecondsPer(start, kPolls) / 1e6);
  }
  {
    HostJournal j;
    HostSession s(&j);
    std::string error;
    s.openModel("assembly", "bench.asm", false, &error);
    s.select("7/11", &error);
    s.select("6", &error);
    ProMatrix m;
    const long kCalls = 200000;
    auto start = Clock::now();
    for (long i = 0; i < kCalls; ++i) {
      ProMode mode;
      s.modeCurrent(&mode);
      s.viewGet(nullptr, nullptr, m);
    }
    std::printf("mode and view read (one tick's reads):  %10.0f ns\n",
                nanosecondsPer(start, kCalls));
    const long kSelections = 20000;
    start = Clock::now();
    for (long i = 0; i < kSelections; ++i) {
      ProSelection* sels = nullptr;
      s.selectionsGet(&sels);
      ProArray a = sels;
      s.arrayFree(&a);
    }
    std::printf("selection array handed out and freed:   %10.0f ns\n",
                nanosecondsPer(start, kSelections));
    const int axes[6] = {10, -5, 0, 100, 200, -50};
    start = Clock::now();
    for (long i = 0; i < kSelections; ++i) s.navigate(axes, "bench");
    std::printf("navigation step, journaled:             %10.0f ns\n",
                nanosecondsPer(start, kSelections));
  }
  std::remove(tempFile("kxh_bench_journal.jsonl").c_str());
  return 0;
}
