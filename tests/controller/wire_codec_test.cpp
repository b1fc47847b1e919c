#include "wire_codec.h"

#include <gtest/gtest.h>

TEST(WireCodec, EscapeRoundTrip) {
  struct Row {
    std::string text;
    std::string escaped;
  } rows[] = {
      {"xtopCreo", "xtopCreo"},
      {"", "%-"},
      {"Hidden line", "Hidden%20line"},
      {"100%", "100%25"},
      {"a\tb\nc", "a%09b%0Ac"},
      {"ProCmdEnvMdlDisp*Hidden line", "ProCmdEnvMdlDisp*Hidden%20line"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    EXPECT_EQ(WireCodec::escape(rows[i].text), rows[i].escaped) << "row " << i;
    std::string back;
    EXPECT_TRUE(WireCodec::unescape(rows[i].escaped, back)) << "row " << i;
    EXPECT_EQ(back, rows[i].text) << "row " << i;
  }
}

TEST(WireCodec, MalformedEscapesAreRejected) {
  const char* rows[] = {"%", "%2", "abc%G0", "%%"};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    std::string text;
    EXPECT_FALSE(WireCodec::unescape(rows[i], text)) << "row " << i << ": " << rows[i];
  }
}

TEST(WireCodec, ParseIntHonoursFormAndRange) {
  struct Row {
    const char* word;
    int64_t min, max;
    bool ok;
    int64_t value;
  } rows[] = {
      {"12", 0, 100, true, 12},
      {"-32768", INT16_MIN, INT16_MAX, true, -32768},
      {"-32769", INT16_MIN, INT16_MAX, false, 0},
      {"0x20020", 0, INT32_MAX, true, 0x20020},
      {"0X1f", 0, 100, true, 31},
      {"12a", 0, 100, false, 0},
      {"", 0, 100, false, 0},
      {"-", -5, 5, false, 0},
      {"0x", 0, 100, false, 0},
      {"--1", -5, 5, false, 0},
      {"101", 0, 100, false, 0},
      {"+7", 0, 100, true, 7},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    int64_t v = -999;
    EXPECT_EQ(WireCodec::parseInt(rows[i].word, rows[i].min, rows[i].max, v), rows[i].ok)
        << "row " << i << ": " << rows[i].word;
    if (rows[i].ok) {
      EXPECT_EQ(v, rows[i].value) << "row " << i;
    }
  }
}

TEST(WireCodec, SplitDropsEmptyWords) {
  EXPECT_EQ(WireCodec::split("  r 12\t0  a%20b "),
            (std::vector<std::string>{"r", "12", "0", "a%20b"}));
}
