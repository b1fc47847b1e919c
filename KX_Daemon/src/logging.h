// The process-wide log. Every class writes entries with one construct:
//   KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
// An entry that passes the filters holds the log's lock until LOG_END, so entries of different
// threads never interleave; a refused entry evaluates none of its operands.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

#include "log_file.h"
#include "log_pars.h"
#include "mutex.h"

enum LogType : int32_t {
  LOG_ERR = 0,
  LOG_WRN = 1,
  LOG_CRT = 2,
  LOG_TRC = 3,
  LOG_DCM = 4,
  LOG_ICM = 5,
  LOG_INF = 6,
  LOG_DBG = 7,
  LOG_TMP = 8,
};

// Integer commands: inserted into an entry they are obeyed, never printed.
constexpr int32_t LOG_END = 314159;
constexpr int32_t LOG_HEX = 271828;
constexpr int32_t LOG_MAGIC = 314159;

class Logging;
class LogEntry;
extern Logging gLog;
// LOG_MAGIC while gLog is usable; 0 before its construction ends and from its destruction on.
extern volatile int32_t gLogMagic;

class Logging {
 public:
  Logging();
  ~Logging();
  Logging(const Logging&) = delete;
  Logging& operator=(const Logging&) = delete;

  // File, line and class-and-method columns of an entry's head.
  static std::string buildLogPrefix(const std::string& sourcePath, int32_t line,
                                    const std::string& className, const std::string& functionName);
  // Same, with class and qualified function taken from a compiler signature such as
  // "static int Settings::readParameter(Cnfg&, ...)".
  static std::string buildLogPrefixFromSignature(const char* sourcePath, int32_t line,
                                                 const char* signature);
  static void splitSignature(const std::string& signature, std::string& className,
                             std::string& functionName);

  // The type and file filters alone: no lock, no formatting.
  bool isToLog(int32_t type, const char* sourcePath) const;
  // Applies the filters; on acceptance takes the lock (released by LOG_END) and writes the head.
  bool beginEntry(int32_t type, const char* sourcePath, const std::string& prefix);

  void init(const LogPars& logPars);
  // init for a running process: under the lock, so no entry of another thread is cut, and with
  // the section name, the settings folder and the file filter kept (the filter is a string that
  // the threads' filter test reads without the lock). The file is opened again only when its
  // name or switch changed.
  void reconfigure(const LogPars& logPars);
  // 0 rotated, -1 no file stream, -2 old backup not removable, -3 log file not renamable.
  int backupLogFile();

  LogPars mLogPars;
  // Where console output goes instead of standard output (null); tests set it to capture the text.
  // Standard output is written through the C library, not std::cout: the standard streams'
  // start-up in a DLL keeps two semaphores that no unload gives back.
  static FILE* sConsoleStream;

 private:
  // Text goes into an entry only through the LogEntry that owns it.
  friend class LogEntry;
  Logging& operator<<(int32_t value);
  Logging& operator<<(const std::string& text);
  Logging& operator<<(std::string_view text);
  Logging& operator<<(const char* text);
  Logging& operator<<(std::ostream& (*manipulator)(std::ostream&));
  Logging& operator<<(std::ios_base& (*manipulator)(std::ios_base&));
  template <typename T,
            typename = std::enable_if_t<!std::is_convertible_v<const T&, std::string_view> &&
                                        !std::is_convertible_v<const T&, const char*> &&
                                        !std::is_same_v<T, int32_t>>>
  Logging& operator<<(const T& value) {
    if (gLogMagic == LOG_MAGIC) mEntryStream << value;
    return *this;
  }

  static std::string mutexName();
  static std::string getTimeString();
  static std::string getDateString();
  std::string composeHead(int32_t type, const std::string& prefix) const;
  void appendText(std::string_view text);
  void hexDump(std::string_view bytes);
  void endEntry();
  void resetEntryStream();
  // Writes a line (with its line end) to the outputs, rotating the file first when it is full.
  void writeEntry(std::string_view line);
  // The same without the size check (used while already rotating).
  void emitLine(std::string_view line);
  // An ERR entry from inside the lock: the lock is not re-entrant, so it is written directly.
  void writeErrorLocked(int32_t line, const char* signature, const std::string& text);
  void writeHeader();
  // Opens mLogFilePath for appending and writes the header; false when it cannot be opened.
  bool openLogFile();
  // Takes the file's size, once after each opening (and its header).
  void takeFilePosition();
  static void writeConsole(std::string_view text);

  std::string mLogFilePath;
  std::ostringstream mEntryStream;
  std::unique_ptr<LogFile> mFileStream;
  // The file's size as this log knows it, for the size check before each entry: taken from the
  // file once when it is opened, then counted up by what the log writes. Asking the file before
  // every entry costs more than the entry's write itself under Wine. -1: unknown, no rotation.
  long long mFilePosition = -1;
  Mutex mMutex;
  bool mIsHexDump = false;
};

#if defined(_MSC_VER)
#define KX_FUNCTION_SIGNATURE __FUNCSIG__
#else
#define KX_FUNCTION_SIGNATURE __PRETTY_FUNCTION__
#endif

// One accepted entry: it holds the log's lock from beginEntry on and gives it back exactly once,
// at the first end marker or, failing that, when the statement ends. Whatever is inserted after
// the marker is dropped, so a logged value that happens to equal the marker ends the entry early
// but can neither release the lock twice nor write outside it. An operand that throws ends the
// entry with the text composed before it, and the lock is released while the exception passes.
// (Whether an exception is passing is not asked: that would give every thread of the host a
// runtime record that an unload of the plug-in cannot give back.)
class LogEntry {
 public:
  explicit LogEntry(Logging& log) : mLog(log) {}
  ~LogEntry();
  LogEntry(const LogEntry&) = delete;
  LogEntry& operator=(const LogEntry&) = delete;

  LogEntry& operator<<(int32_t value);
  LogEntry& operator<<(std::ostream& (*manipulator)(std::ostream&)) { return insert(manipulator); }
  LogEntry& operator<<(std::ios_base& (*manipulator)(std::ios_base&)) {
    return insert(manipulator);
  }
  template <typename T>
  LogEntry& operator<<(const T& value) {
    return insert(value);
  }

 private:
  template <typename T>
  LogEntry& insert(const T& value) {
    if (mIsOpen) mLog << value;
    return *this;
  }

  Logging& mLog;
  bool mIsOpen = true;
};

// Swallows the value of a finished "KXLOG(type) << ... << LOG_END" chain; '&' binds more loosely
// than '<<'.
struct LogVoidify {
  void operator&(LogEntry&) {}
};

// One expression, so it can stand unbraced after an if without capturing that if's else. The head
// is built, and the operands evaluated, only for an entry that passes the filters.
#define KXLOG(type)                                                                      \
  (gLogMagic != LOG_MAGIC || !gLog.isToLog((type), __FILE__) ||                          \
   !gLog.beginEntry(                                                                     \
       (type), __FILE__,                                                                 \
       Logging::buildLogPrefixFromSignature(__FILE__, __LINE__, KX_FUNCTION_SIGNATURE))) \
      ? (void)0                                                                          \
      : LogVoidify() & LogEntry(gLog)
