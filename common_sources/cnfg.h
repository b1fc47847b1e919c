// Reader of line-oriented INI files: "[section]" header lines and "key = value # comment" lines.
// It only reads and never logs; callers turn the error code into a text with getErrorText().
#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <sstream>
#include <string>

enum CnfgError : uint32_t {
  CNFG_OK = 0,
  CNFG_FILE_NOT_FOUND = 1,
  CNFG_SECTION_NOT_FOUND = 2,
  CNFG_PARAMETER_NOT_FOUND = 3,
  CNFG_NO_FURTHER_PARAMETER = 4,
};

class Cnfg {
 public:
  Cnfg() = default;
  Cnfg(const Cnfg&) = delete;
  Cnfg& operator=(const Cnfg&) = delete;

  uint32_t open(const std::string& fileName);
  // Reads the given text as if it were the file's content (the file name is only for messages).
  uint32_t openText(const std::string& text, const std::string& fileName);
  uint32_t findSection(const std::string& sectionName);
  uint32_t getParameter(const std::string& parameterName, std::string& value,
                        const std::string& sectionName);
  uint32_t getNextParameter(std::string& parameterName, std::string& value);
  std::string getErrorText() const;

  // The pieces of one line, as parseLine splits it.
  struct LinePieces {
    std::string leadingBlanks;
    std::string section;
    std::string name;
    std::string separator;
    std::string value;
    std::string comment;
  };
  LinePieces parseLine(const std::string& line) const;
  static std::string trimBlanks(const std::string& text);

 private:
  // The state of a fresh reader for this file name, with any open file closed.
  void reset(const std::string& fileName);
  // Reads one line; at the end of the file (or on a broken stream) the line is empty and the
  // result false.
  bool readLine(std::string& line);

  char mCommentChar = '#';
  std::string mSeparators = "=\t";
  std::string mCommentChars = "#\r\n";
  std::string mFileName;
  std::string mSectionName;
  std::string mParameterName;
  std::ifstream mFile;
  std::istringstream mText;
  std::istream* mStream = &mFile;
  uint32_t mError = CNFG_OK;
};
