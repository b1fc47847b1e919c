// The verbs the scenario parser accepts against the steps the runner has: a verb accepted but not
// run would only fail once a scenario used it, and a step the parser refuses could never run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scenarios/scenario.h"
#include "scenarios/scenario_runner.h"

namespace {

TEST(ScenarioVerbsTest, ParserAndRunnerKnowTheSameVerbs) {
  const std::vector<std::string> parsed = Scenario::knownVerbs();
  const std::vector<std::string>& run = ScenarioRunner::verbs();
  ASSERT_FALSE(parsed.empty());
  ASSERT_FALSE(run.empty());
  const struct {
    const std::vector<std::string>& verbs;
    const std::vector<std::string>& others;
    const char* what;
  } rows[] = {
      {parsed, run, "the parser accepts it but the runner has no step for it"},
      {run, parsed, "the runner has a step for it but the parser refuses it"},
  };
  for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
    for (const std::string& verb : rows[r].verbs) {
      const bool found =
          std::find(rows[r].others.begin(), rows[r].others.end(), verb) != rows[r].others.end();
      EXPECT_TRUE(found) << "row " << r << ": \"" << verb << "\": " << rows[r].what;
    }
  }
}

}  // namespace
