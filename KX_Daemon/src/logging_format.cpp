// The log's formatting: the head columns of an entry, the time and date texts and the hex dump.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iomanip>

#include "logging.h"
#include "thread_id.h"

namespace {

const char* const kTags[] = {"ERR", "WRN", "CRT", "TRC", "DCM", "ICM", "INF", "DBG", "TMP"};

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
  // Padded by hand: a string stream of its own would cost more than the rest of the entry's head.
  const std::string lineText = std::to_string(line);
  std::string prefix;
  prefix.reserve(16 + 2 + std::max<size_t>(lineText.size(), 4) + 2 + 32);
  prefix.append(16 - fileName.size(), ' ').append(fileName).append("| ");
  prefix.append(lineText.size() < 4 ? 4 - lineText.size() : 0, ' ').append(lineText).append("| ");
  prefix.append(classAndMethod).append(32 - classAndMethod.size(), ' ');
  return prefix;
}

std::string Logging::buildLogPrefixFromSignature(const char* sourcePath, int32_t line,
                                                 const char* signature) {
  std::string className;
  std::string functionName;
  splitSignature(signature ? signature : "", className, functionName);
  return buildLogPrefix(sourcePath ? sourcePath : "", line, className, functionName);
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

void Logging::hexDump(std::string_view bytes) {
  mEntryStream << "\n       0  1  2  3  4  5  6  7  8  9";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 10 == 0) mEntryStream << '\n' << std::dec << std::setw(4) << i << ": " << std::hex;
    mEntryStream << static_cast<int32_t>(static_cast<int8_t>(bytes[i])) << ' ';
  }
  mEntryStream << std::hex;
  mIsHexDump = false;
}
