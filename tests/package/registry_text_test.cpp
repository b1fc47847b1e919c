// The setup tool's changes to a host registry file: the user's text stays byte for byte.
#include "registry_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace registry_text;

const std::string kBlock =
    entryBlock("C:\\Program Files (x86)\\Kx\\KorvexCreo.dll", "C:\\Program Files (x86)\\Kx\\text");

// The block itself is read by the emulated host after the install of the package test.
TEST(RegistryTextTest, AddingAndTakingOutGivesTheUsersTextBack) {
  // The user's file; what withBlock, then withoutBlock make of it.
  const std::pair<std::string, std::string> rows[] = {
      {"", ""},
      {"name other\r\nstartup dll\r\nexec_file C:\\o.dll\r\nend\r\n",
       "name other\r\nstartup dll\r\nexec_file C:\\o.dll\r\nend\r\n"},
      {"name other\nstartup dll\nexec_file C:\\o.dll\nend\n",
       "name other\nstartup dll\nexec_file C:\\o.dll\nend\n"},
      // No line end at the end: withBlock supplies one, which stays.
      {"name other\r\nend", "name other\r\nend\r\n"},
      {"# only a comment\r\n\r\n", "# only a comment\r\n\r\n"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const auto& [text, expected] = rows[i];
    std::string added = withBlock(text, kBlock);
    EXPECT_EQ(expected + kBlock, added) << "row " << i;
    EXPECT_TRUE(hasBlock(added)) << "row " << i;
    EXPECT_FALSE(hasBlock(text)) << "row " << i;
    EXPECT_EQ(expected, withoutBlock(added)) << "row " << i;
  }
}

TEST(RegistryTextTest, AnEntryNamedLikeThePluginOutsideTheBlockIsFoundByItsLine) {
  const std::pair<std::string, int> rows[] = {
      {"", 0},
      {"name other\r\nend\r\n", 0},
      {"name other\r\nend\r\nname KorvexCreo\r\nend\r\n", 3},
      {"  NAME\tkorvexcreo  \r\nend\r\n", 1},
      {"# name KorvexCreo\r\n// name KorvexCreo\r\n", 0},
      {"name KorvexCreoX\r\nend\r\n", 0},
      {"exec_file C:\\KorvexCreo\\KorvexCreo.dll\r\n", 0},
      // The installer's own entry does not count; one the user added beside it does.
      {withBlock("", kBlock), 0},
      {withBlock("name KorvexCreo\nend\n", kBlock), 1},
      {withBlock("", kBlock) + "name KorvexCreo\r\nend\r\n", 8},
  };
  for (const auto& [text, line] : rows)
    EXPECT_EQ(line, lineNamingApplication(text, kAppName)) << ::testing::PrintToString(text);
}

TEST(RegistryTextTest, ABlockWithoutItsEndRunsToTheEndOfTheText) {
  std::string text = "name a\r\nend\r\n" + std::string(kMarker) + "\r\nname KorvexCreo\r\n";
  EXPECT_TRUE(hasBlock(text));
  EXPECT_EQ("name a\r\nend\r\n", withoutBlock(text));
}

TEST(RegistryTextTest, EmptyMeansOnlyBlanksAndComments) {
  const std::pair<std::string, bool> rows[] = {
      {"", true},       {"\r\n  \r\n\t\n", true}, {"# a\r\n// b\r\n", true}, {"name a\r\n", false},
      {"  end", false},
  };
  for (const auto& [text, empty] : rows)
    EXPECT_EQ(empty, isEmpty(text)) << ::testing::PrintToString(text);
}

}  // namespace
