#include "logging.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iomanip>

#include "thread_id.h"

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

const char* const kTags[] = {"ERR", "WRN", "CRT", "TRC", "DCM", "ICM", "INF", "DBG", "TMP"};
constexpr int32_t kTypeCount = 9;

bool isIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Position of the last "::" before end that is not inside template brackets, or npos.
size_t findLastScope(const std::string& text, size_t end) {
  int depth = 0;
  for (size_t i = end; i >= 2; --i) {
    const char c = text[i - 1];
    if (c == '>') {
      ++depth;
    } else if (c == '<') {
      if (depth > 0) --depth;
    } else if (depth == 0 && c == ':' && text[i - 2] == ':') {
      return i - 2;
    }
  }
  return std::string::npos;
}

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

void Logging::splitSignature(const std::string& signature, std::string& className,
                             std::string& functionName) {
  const size_t n = signature.size();
  size_t nameStart = 0;
  size_t paren = n;
  int depth = 0;
  for (size_t i = 0; i < n; ++i) {
    const char c = signature[i];
    if (signature.compare(i, 8, "operator") == 0 &&
        (i == 0 || !isIdentifierChar(signature[i - 1]))) {
      // The operator's own symbols ("<<", "()", " bool") belong to the name.
      size_t next = i + 8;
      if (signature.compare(next, 2, "()") == 0) next += 2;
      next = signature.find('(', next);
      paren = next == std::string::npos ? n : next;
      break;
    }
    if (c == '<') {
      ++depth;
    } else if (c == '>') {
      if (depth > 0) --depth;
    } else if (depth == 0 && c == ' ') {
      nameStart = i + 1;
    } else if (depth == 0 && c == '(') {
      paren = i;
      break;
    }
  }
  functionName = signature.substr(nameStart, paren - nameStart);
  className.clear();
  const size_t lastScope = findLastScope(functionName, functionName.size());
  if (lastScope == std::string::npos) return;
  const size_t previousScope = findLastScope(functionName, lastScope);
  const size_t classStart = previousScope == std::string::npos ? 0 : previousScope + 2;
  className = functionName.substr(classStart, lastScope - classStart);
}

std::string Logging::buildLogPrefix(const std::string& sourcePath, int32_t line,
                                    const std::string& className, const std::string& functionName) {
  // The cross build's compiler writes '/' into source paths, the native Windows one '\'.
  const size_t slash = sourcePath.find_last_of("\\/");
  std::string fileName = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
  if (fileName.size() > 16) fileName = "*" + fileName.substr(fileName.size() - 15);
  std::string classAndMethod = className + "::" + functionName;
  if (classAndMethod.size() > 32) {
    classAndMethod = "*" + classAndMethod.substr(classAndMethod.size() - 31);
  }
  std::ostringstream prefix;
  prefix << std::right << std::setw(16) << fileName << "| " << std::setw(4) << line << "| "
         << std::left << std::setw(32) << classAndMethod;
  return prefix.str();
}

std::string Logging::buildLogPrefixFromSignature(const char* sourcePath, int32_t line,
                                                 const char* signature) {
  std::string className;
  std::string functionName;
  splitSignature(signature ? signature : "", className, functionName);
  return buildLogPrefix(sourcePath ? sourcePath : "", line, className, functionName);
}

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

std::string Logging::getTimeString() {
  using namespace std::chrono;
  const long long msOfDay =
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() % 86400000LL;
  char text[48];
  std::snprintf(text, sizeof(text), "%02d:%02d:%02d.%03d", static_cast<int>(msOfDay / 3600000),
                static_cast<int>(msOfDay / 60000 % 60), static_cast<int>(msOfDay / 1000 % 60),
                static_cast<int>(msOfDay % 1000));
  return text;
}

// The ctime layout cut to "Thu Dec  3 2026". Built here because Windows' ctime fills the day of
// the month with a zero where the layout has a space.
std::string Logging::getDateString() {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &now) != 0) return std::string();
#else
  if (localtime_r(&now, &local) == nullptr) return std::string();
#endif
  char text[48];
  std::snprintf(text, sizeof(text), "%s %s %2d %d", kDays[local.tm_wday % 7],
                kMonths[local.tm_mon % 12], local.tm_mday, local.tm_year + 1900);
  return text;
}

std::string Logging::composeHead(int32_t type, const std::string& prefix) const {
  // Formatted without a stream of its own: constructing one per entry costs more than its text.
  char text[64];
  const int length = std::snprintf(text, sizeof(text), "%s|%s|%6lu|", getTimeString().c_str(),
                                   kTags[type], currentThreadId());
  std::string head(text, length > 0 ? std::min<size_t>(length, sizeof(text) - 1) : 0);
  head.reserve(head.size() + prefix.size() + 2);
  head += prefix;
  head += "| ";
  return head;
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

void Logging::hexDump(std::string_view bytes) {
  mEntryStream << "\n       0  1  2  3  4  5  6  7  8  9";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 10 == 0) mEntryStream << '\n' << std::dec << std::setw(4) << i << ": " << std::hex;
    mEntryStream << static_cast<int32_t>(static_cast<int8_t>(bytes[i])) << ' ';
  }
  mEntryStream << std::hex;
  mIsHexDump = false;
}

void Logging::endEntry() {
  try {
    const std::string text = mEntryStream.str();
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

void Logging::writeEntry(const std::string& line) {
  // A stream closed by a failed rotation, or failed, is not rotated again (its position was -1).
  if (mFileStream && mFileStream->is_open() && mFileStream->good() && mFilePosition >= 0) {
    // The limit wraps like the 32-bit product it is.
    const int32_t limit =
        static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(mLogPars.mMaxSize) * 1000));
    if (mFilePosition >= limit) backupLogFile();
  }
  emitLine(line);
}

void Logging::emitLine(const std::string& line) {
  if (mFileStream && mLogPars.mIsLogToFile) {
    *mFileStream << line << '\n';
    mFileStream->flush();
    countWritten(line);
    countWritten("\n");
  }
  if (mLogPars.mIsLogToCnsl) writeConsole(line + '\n');
}

void Logging::takeFilePosition() {
  mFilePosition =
      mFileStream && mFileStream->good() ? static_cast<long long>(mFileStream->tellp()) : -1LL;
}

void Logging::countWritten(std::string_view text) {
  if (mFilePosition < 0) return;
  mFilePosition += static_cast<long long>(text.size());
#ifdef _WIN32
  // The stream is in text mode: each line feed reaches the file as carriage return and line feed.
  mFilePosition += static_cast<long long>(std::count(text.begin(), text.end(), '\n'));
#endif
}

void Logging::writeConsole(const std::string& text) {
  FILE* stream = sConsoleStream ? sConsoleStream : stdout;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

void Logging::writeErrorLocked(int32_t line, const char* signature, const std::string& text) {
  if (!isToLog(LOG_ERR, __FILE__)) return;
  emitLine(composeHead(LOG_ERR, buildLogPrefixFromSignature(__FILE__, line, signature)) + text);
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
  if (mLogPars.mIsLogToFile && mFileStream) {
    *mFileStream << header;
    mFileStream->flush();
  }
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
  auto stream = std::make_unique<std::ofstream>(mLogFilePath, std::ios::out | std::ios::app);
  if (!stream->is_open()) return false;
  mFileStream = std::move(stream);
  // Appending: the stream's position is the file's end only once something was written.
  mFilePosition = -1;
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
  mFileStream->clear();
  mFileStream->open(mLogFilePath, std::ios::out | std::ios::app);
  mFilePosition = -1;
  if (mFileStream->good()) {
    writeHeader();
    takeFilePosition();
  } else {
    writeErrorLocked(__LINE__, KX_FUNCTION_SIGNATURE,
                     "Opening of stream of'" + mLogFilePath + "' failed!\n");
  }
  return 0;
}
