#include "cnfg.h"

namespace {

const char* const kBlanks = " \t";

}  // namespace

void Cnfg::reset(const std::string& fileName) {
  mCommentChars = "#\r\n";
  mSeparators = "=\t";
  mCommentChar = mCommentChars[0];
  mFileName = fileName;
  mError = CNFG_OK;
  if (mFile.is_open()) mFile.close();
}

uint32_t Cnfg::open(const std::string& fileName) try {
  reset(fileName);
  mFile.clear();
  mStream = &mFile;
  // Text mode, so CR LF arrives as LF; the C runtime opens without denying other processes.
  mFile.open(fileName, std::ios::in);
  if (!mFile.is_open()) mError = CNFG_FILE_NOT_FOUND;
  return mError;
} catch (...) {
  // Nothing thrown leaves the reader; a failure is a code like any other.
  mError = CNFG_FILE_NOT_FOUND;
  return mError;
}

uint32_t Cnfg::openText(const std::string& text, const std::string& fileName) {
  reset(fileName);
  mText.clear();
  mText.str(text);
  mStream = &mText;
  return mError;
}

bool Cnfg::readLine(std::string& line) {
  if (std::getline(*mStream, line)) return true;
  line.clear();
  return false;
}

Cnfg::LinePieces Cnfg::parseLine(const std::string& line) const {
  LinePieces pieces;
  const size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string::npos) {
    pieces.leadingBlanks = line;
    return pieces;
  }
  pieces.leadingBlanks = line.substr(0, first);
  if (line[first] == mCommentChar) {
    pieces.comment = line.substr(first);
    return pieces;
  }
  if (line[first] == '[') {
    const size_t close = line.find(']', first + 1);
    if (close != std::string::npos) {
      pieces.section = line.substr(first + 1, close - first - 1);
      pieces.comment = line.substr(close + 1);
    }
    return pieces;
  }
  size_t nameEnd = line.find_first_of(mSeparators, first);
  if (nameEnd == std::string::npos) nameEnd = line.size();
  pieces.name = line.substr(first, nameEnd - first);
  const size_t lastNonSpace = pieces.name.find_last_not_of(' ');
  pieces.name.erase(lastNonSpace == std::string::npos ? 0 : lastNonSpace + 1);

  // The marker guarantees the value search below ends inside the working line.
  const std::string work = line + mCommentChar;
  size_t separatorEnd = work.find_first_not_of(mSeparators, nameEnd);
  if (separatorEnd == std::string::npos) separatorEnd = work.size();
  pieces.separator = work.substr(nameEnd, separatorEnd - nameEnd);
  const size_t valueEnd = work.find_first_of(mCommentChars, separatorEnd);
  pieces.value = work.substr(separatorEnd, valueEnd - separatorEnd);
  if (valueEnd < line.size()) pieces.comment = line.substr(valueEnd);
  return pieces;
}

std::string Cnfg::trimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

uint32_t Cnfg::findSection(const std::string& sectionName) try {
  mError = CNFG_OK;
  mSectionName = sectionName;
  mStream->clear();
  mStream->seekg(0, std::ios::beg);
  std::string line;
  // A read that fails ends the search as the end of the file does, so a broken stream cannot spin.
  while (!mStream->eof() && readLine(line)) {
    if (parseLine(line).section == sectionName) return mError;
  }
  mError = CNFG_SECTION_NOT_FOUND;
  return mError;
} catch (...) {
  mError = CNFG_SECTION_NOT_FOUND;
  return mError;
}

uint32_t Cnfg::getNextParameter(std::string& parameterName, std::string& value) try {
  mError = CNFG_OK;
  if (mStream->eof()) {
    mError = CNFG_NO_FURTHER_PARAMETER;
    return mError;
  }
  std::string line;
  // Comments in the first column (and stray CRs) are skipped without ending the block.
  while (readLine(line) && !line.empty() && (line[0] == mCommentChar || line[0] == '\r')) {
  }
  const LinePieces pieces = parseLine(line);
  parameterName = pieces.name;
  value = trimBlanks(pieces.value);
  if (parameterName.empty()) mError = CNFG_NO_FURTHER_PARAMETER;
  return mError;
} catch (...) {
  mError = CNFG_NO_FURTHER_PARAMETER;
  return mError;
}

uint32_t Cnfg::getParameter(const std::string& parameterName, std::string& value,
                            const std::string& sectionName) {
  mError = CNFG_OK;
  mParameterName = parameterName;
  if (!sectionName.empty() && findSection(sectionName) != CNFG_OK) return mError;
  std::string name;
  do {
    if (getNextParameter(name, value) != CNFG_OK) {
      mError = CNFG_PARAMETER_NOT_FOUND;
      return mError;
    }
  } while (name != parameterName);
  return mError;
}

std::string Cnfg::getErrorText() const {
  switch (mError) {
    case CNFG_OK:
      return "OK";
    case CNFG_FILE_NOT_FOUND:
      return "File '" + mFileName + "' not found!";
    case CNFG_SECTION_NOT_FOUND:
      return "Section '" + mSectionName + "' not found!";
    case CNFG_PARAMETER_NOT_FOUND:
      return "Parameter '" + mParameterName + "' in section '" + mSectionName + "' not found! (" +
             mFileName + ")";
    case CNFG_NO_FURTHER_PARAMETER:
      return "No further parameter in section '" + mSectionName + "'!";
    default:
      return "Unknown error in class Cnfg!";
  }
}
