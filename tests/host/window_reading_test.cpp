// What the window watch reads from a window's text line and bar.
#include "windows/window_reading.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowReadingTest, TextFormAndNumber) {
  const struct {
    const char* text;
    const char* form;
    int number;
  } rows[] = {
      {"Preparing for first start...", "Preparing for first start...", -1},
      {"Preparing for first start... 0%", "Preparing for first start... #%", 0},
      {"Preparing for first start... 100%", "Preparing for first start... #%", 100},
      {"Preparing for first start...99%", "Preparing for first start...#%", 99},
      {"step 2 of 10: 45%", "step # of #: #%", 45},
      {"", "", -1},
      {"1234567890123%", "#%", -1},  // does not fit: not a number to compare
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    EXPECT_EQ(WindowReading::textForm(rows[i].text), rows[i].form) << "row " << i;
    EXPECT_EQ(WindowReading::textNumber(rows[i].text), rows[i].number) << "row " << i;
  }
}

TEST(WindowReadingTest, FallingReadings) {
  const struct {
    const char* name;
    int readings[5][2];  // text number, bar position; -1 unknown
    int count;
    const char* falls;  // one letter per reading
  } rows[] = {
      {"rising", {{-1, 0}, {0, 0}, {30, 31}, {31, 31}, {90, 99}}, 5, "nnnnn"},
      {"the text lags behind the bar", {{30, 34}, {34, 34}, {34, 39}}, 3, "nnn"},
      {"unknown readings are no fall", {{50, 50}, {-1, -1}, {50, 50}}, 3, "nnn"},
      {"bar falls", {{10, 10}, {10, 5}}, 2, "ny"},
      {"text falls below an earlier top", {{10, 10}, {20, 20}, {15, 25}}, 3, "nny"},
      {"a later reading at the old top is no fall", {{20, 20}, {10, 10}, {20, 20}}, 3, "nyn"},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    WindowReading reading;
    std::string got;
    for (int r = 0; r < rows[i].count; ++r)
      got += reading.falls(rows[i].readings[r][0], rows[i].readings[r][1]) ? 'y' : 'n';
    EXPECT_EQ(got, rows[i].falls) << "row " << i << " (" << rows[i].name << ")";
  }
}

}  // namespace
