// The log's outputs: the file with its header block and rotation, and the console.
#include <cerrno>
#include <cstdio>

#include "logging.h"

void Logging::writeEntry(std::string_view line) {
  // A file closed by a failed rotation, or failed, is not rotated again.
  if (mFileStream && mFileStream->isGood() && mFilePosition >= 0) {
    // The limit wraps like the 32-bit product it is.
    const int32_t limit =
        static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(mLogPars.mMaxSize) * 1000));
    if (mFilePosition >= limit) backupLogFile();
  }
  emitLine(line);
}

void Logging::emitLine(std::string_view line) {
  if (mFileStream && mLogPars.mIsLogToFile) {
    const size_t written = mFileStream->write(line);
    if (mFilePosition >= 0) mFilePosition += static_cast<long long>(written);
  }
  if (mLogPars.mIsLogToCnsl) writeConsole(line);
}

void Logging::takeFilePosition() {
  mFilePosition = mFileStream && mFileStream->isGood() ? mFileStream->size() : -1LL;
}

void Logging::writeConsole(std::string_view text) {
  FILE* stream = sConsoleStream ? sConsoleStream : stdout;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

void Logging::writeErrorLocked(int32_t line, const char* signature, const std::string& text) {
  if (!isToLog(LOG_ERR, __FILE__)) return;
  emitLine(composeHead(LOG_ERR, buildLogPrefixFromSignature(__FILE__, line, signature)) + text +
           "\n");
}

void Logging::writeHeader() {
  const std::string rule(90, '-');
  const std::string header =
      rule + "\nKorvex logfile '" + mLogPars.mLogFile + "' opened at " + getDateString() + "\n" +
      rule +
      "\n    Time    |Typ|  TID |      File      | Line|        Class And Method         | "
      "LogText\n"
      "------------+---+------+----------------+-----+---------------------------------+--------"
      "-\n";
  if (mLogPars.mIsLogToFile && mFileStream) mFileStream->write(header);
  if (mLogPars.mIsLogToCnsl) writeConsole(header);
}

void Logging::init(const LogPars& logPars) {
  try {
    mLogPars = logPars;
    mIsHexDump = false;
    if (mFileStream) {
      mFileStream->close();
      mFileStream.reset();
    }
    if (!mLogPars.mIsLogToFile) return;
    if (!openLogFile()) {
      KXLOG(LOG_ERR) << "Opening log file '" << mLogPars.mLogFile << "failed!" << LOG_END;
      mLogPars.mIsLogToFile = false;
    }
  } catch (...) {
    KXLOG(LOG_ERR) << "Error init()" << LOG_END;
  }
}

bool Logging::openLogFile() {
  if (mLogPars.mLogFile.empty()) mLogPars.mLogFile = "forgot_to_name_this_file_log.txt";
  mLogFilePath = mLogPars.mLogFile.find('\\') != std::string::npos
                     ? mLogPars.mLogFile
                     : mLogPars.mSettingsDirPath + "\\" + mLogPars.mLogFile;
  auto file = std::make_unique<LogFile>();
  if (!file->open(mLogFilePath)) return false;
  mFileStream = std::move(file);
  writeHeader();
  takeFilePosition();
  return true;
}

void Logging::reconfigure(const LogPars& logPars) {
  mMutex.lock();
  try {
    const bool isFileToReopen = logPars.mIsLogToFile != mLogPars.mIsLogToFile ||
                                logPars.mLogFile != mLogPars.mLogFile || !mFileStream;
    const LogPars kept = mLogPars;
    mLogPars = logPars;
    mLogPars.mSectionName = kept.mSectionName;
    mLogPars.mSettingsDirPath = kept.mSettingsDirPath;
    mLogPars.mExclFileToLog = kept.mExclFileToLog;
    if (isFileToReopen) {
      if (mFileStream) mFileStream->close();
      mFileStream.reset();
      if (mLogPars.mIsLogToFile && !openLogFile()) {
        mLogPars.mIsLogToFile = false;
        writeErrorLocked(__LINE__, KX_FUNCTION_SIGNATURE,
                         "Opening log file '" + mLogPars.mLogFile + "failed!");
      }
    }
  } catch (...) {
    writeErrorLocked(__LINE__, KX_FUNCTION_SIGNATURE, "Error reconfigure()");
  }
  mMutex.unlock();
}

int Logging::backupLogFile() {
  if (!mFileStream) return -1;
  mFileStream->close();
  const size_t dot = mLogFilePath.rfind('.');
  const std::string backup =
      (dot == std::string::npos ? mLogFilePath : mLogFilePath.substr(0, dot)) + ".bak";
  errno = 0;
  if (std::remove(backup.c_str()) != 0 && errno != ENOENT) {
    writeErrorLocked(__LINE__, KX_FUNCTION_SIGNATURE, "'" + backup + "' couldn't be removed!");
    return -2;
  }
  errno = 0;
  if (std::rename(mLogFilePath.c_str(), backup.c_str()) != 0 && errno != ENOENT) {
    writeConsole("File '" + mLogFilePath + "' couldn't be renamed to '" + backup + "'!\n");
    return -3;
  }
  mFilePosition = -1;
  if (mFileStream->open(mLogFilePath)) {
    writeHeader();
    takeFilePosition();
  } else {
    writeErrorLocked(__LINE__, KX_FUNCTION_SIGNATURE,
                     "Opening of stream of'" + mLogFilePath + "' failed!\n");
  }
  return 0;
}
