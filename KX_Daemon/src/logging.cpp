// The log's entries: the filters, the lock, and composing an entry until its end.
#include "logging.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <process.h>
#define KX_GETPID _getpid
#else
#include <unistd.h>
#define KX_GETPID getpid
#endif

FILE* Logging::sConsoleStream = nullptr;

// Zero until gLog's constructor has run: entries from earlier static initialisers are dropped.
volatile int32_t gLogMagic = 0;
Logging gLog;

namespace {
constexpr int32_t kTypeCount = 9;
}  // namespace

Logging::Logging() : mMutex(mutexName().c_str()) {
  mLogPars.mLogFile = "c:\\def_log.txt";
  mLogPars.mMaxSize = 5000;
  mLogPars.mIsLogToFile = false;
  mLogPars.mIsLogToCnsl = false;
  mLogPars.mIsWarning = false;
  mLogPars.mIsCreation = false;
  mLogPars.mIsTrace = false;
  mLogPars.mIsDevCom = false;
  mLogPars.mIsIntCom = false;
  mLogPars.mIsInfo = false;
  mLogPars.mIsDebug = false;
  mLogPars.mIsTmp = false;
  gLogMagic = LOG_MAGIC;
}

Logging::~Logging() {
  KXLOG(LOG_CRT) << "Logging::~Logging(): destructing ..." << LOG_END;
  gLogMagic = 0;
  if (mFileStream) mFileStream->close();
  mFileStream.reset();
}

std::string Logging::mutexName() { return "Logging_" + std::to_string(KX_GETPID()); }

bool Logging::isToLog(int32_t type, const char* sourcePath) const {
  if (!mLogPars.mExclFileToLog.empty()) {
    const char* name = sourcePath ? sourcePath : "";
    const char* slash = std::strrchr(name, '/');
    if (slash == nullptr) slash = std::strrchr(name, '\\');
    if (slash != nullptr) name = slash + 1;
    if (mLogPars.mExclFileToLog != name) return false;
  }
  switch (type) {
    case LOG_ERR:
      return true;
    case LOG_WRN:
      return mLogPars.mIsWarning;
    case LOG_CRT:
      return mLogPars.mIsCreation;
    case LOG_TRC:
      return mLogPars.mIsTrace;
    case LOG_DCM:
      return mLogPars.mIsDevCom;
    case LOG_ICM:
      return mLogPars.mIsIntCom;
    case LOG_INF:
      return mLogPars.mIsInfo;
    case LOG_DBG:
      return mLogPars.mIsDebug;
    case LOG_TMP:
      return mLogPars.mIsTmp;
    default:
      return false;
  }
}

bool Logging::beginEntry(int32_t type, const char* sourcePath, const std::string& prefix) {
  if (!isToLog(type, sourcePath) || type < 0 || type >= kTypeCount) return false;
  mMutex.lock();
  try {
    *this << composeHead(type, prefix);
  } catch (...) {
    mEntryStream = std::ostringstream();
    mMutex.unlock();
    return false;
  }
  return true;
}

// The end marker never gets here: the entry that owns the lock obeys it.
Logging& Logging::operator<<(int32_t value) {
  if (gLogMagic != LOG_MAGIC) return *this;
  if (value == LOG_HEX) {
    mIsHexDump = true;
  } else {
    mEntryStream << value;
  }
  return *this;
}

Logging& Logging::operator<<(const std::string& text) {
  appendText(text);
  return *this;
}

Logging& Logging::operator<<(std::string_view text) {
  appendText(text);
  return *this;
}

Logging& Logging::operator<<(const char* text) {
  appendText(text ? std::string_view(text) : std::string_view("(null)"));
  return *this;
}

Logging& Logging::operator<<(std::ostream& (*manipulator)(std::ostream&)) {
  if (gLogMagic == LOG_MAGIC) mEntryStream << manipulator;
  return *this;
}

Logging& Logging::operator<<(std::ios_base& (*manipulator)(std::ios_base&)) {
  if (gLogMagic == LOG_MAGIC) mEntryStream << manipulator;
  return *this;
}

void Logging::appendText(std::string_view text) {
  if (gLogMagic != LOG_MAGIC) return;
  if (mIsHexDump) {
    hexDump(text);
  } else {
    mEntryStream << text;
  }
}

void Logging::endEntry() {
  try {
    std::string text = mEntryStream.str();
    text += '\n';
    resetEntryStream();
    writeEntry(text);
  } catch (...) {
    // A log call never throws; the entry is lost but the lock is released.
    mEntryStream = std::ostringstream();
  }
  mMutex.unlock();
}

// The next entry starts from an empty text and the stream's initial format (an entry may have left
// hex, a width or a fill behind), without constructing a fresh stream and its locale each time.
void Logging::resetEntryStream() {
  mEntryStream.str(std::string());
  mEntryStream.clear();
  mEntryStream.flags(std::ios_base::dec | std::ios_base::skipws);
  mEntryStream.width(0);
  mEntryStream.precision(6);
  mEntryStream.fill(' ');
}

LogEntry::~LogEntry() {
  if (mIsOpen) mLog.endEntry();
}

LogEntry& LogEntry::operator<<(int32_t value) {
  if (!mIsOpen) return *this;
  if (value == LOG_END) {
    mIsOpen = false;
    mLog.endEntry();
  } else {
    mLog << value;
  }
  return *this;
}
