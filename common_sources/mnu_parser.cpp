#include "mnu_parser.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "logging.h"

MNUParser* MNUParser::sParserP = nullptr;

namespace {

bool endsWith(const std::string& text, const char* tail) {
  const std::string_view t(tail);
  return text.size() >= t.size() && text.compare(text.size() - t.size(), t.size(), t) == 0;
}

const char kIndexPrefix[] = "PROCMD";
const size_t kIndexPrefixLength = sizeof(kIndexPrefix) - 1;

// Byte-wise comparison written out: the texts differ within a few bytes, where a library call
// per comparison costs more than the comparison itself.
int compareBytes(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool startsWith(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (text[i] != prefix[i]) return false;
  }
  return true;
}

// Whether the line in upper case (ASCII letters only) contains the marker, which starts with "]"
// and is upper case; compared in place, since most lines hold no "]" at all.
bool containsMarker(std::string_view line, std::string_view marker) {
  for (size_t p = line.find(']'); p != std::string_view::npos && line.size() - p >= marker.size();
       p = line.find(']', p + 1)) {
    size_t k = 1;
    for (; k < marker.size(); ++k) {
      char c = line[p + k];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != marker[k]) break;
    }
    if (k == marker.size()) return true;
  }
  return false;
}

// The marker's line and the line `offset` lines below it, as a line-by-line read gives them: LF
// removed, a CR before it kept. Only lines holding a "]" can hold a marker, so the text is searched
// for "]" and line ends are looked for around it, rather than splitting every line.
MNUCommand parseCommandLines(std::string_view all, bool isEnglish) {
  MNUCommand command;
  const size_t offset = isEnglish ? 1 : 2;
  const char* const data = all.data();
  const size_t size = all.size();
  auto lineEnd = [&](size_t from) {
    const void* found = std::memchr(data + from, '\n', size - from);
    return found ? static_cast<size_t>(static_cast<const char*>(found) - data) : size;
  };
  size_t next = 0;  // first byte of the next line to search
  while (next < size) {
    const void* bracket = std::memchr(data + next, ']', size - next);
    if (!bracket) break;
    const size_t at = static_cast<size_t>(static_cast<const char*>(bracket) - data);
    const size_t end = lineEnd(at);
    if (end == size) break;  // the last line has no line below it
    // The follower exists if that many more lines start before the end of the text.
    size_t followerStart = end + 1;
    size_t followerEnd = size;
    for (size_t k = 1; k <= offset && followerStart < size; ++k) {
      followerEnd = lineEnd(followerStart);
      if (k < offset) followerStart = followerEnd + 1;
    }
    if (followerStart < size) {
      // From the line's first "]" on: every marker starts with one.
      const std::string_view line = all.substr(at, end - at);
      const std::string_view follower = all.substr(followerStart, followerEnd - followerStart);
      if (containsMarker(line, "] COMMAND.LABEL")) {
        command.label.clear();
        command.label.reserve(follower.size());
        for (char c : follower) {
          if (c != '&') command.label.push_back(c);
        }
      } else if (containsMarker(line, "] COMMAND.HELPTEXT")) {
        command.helpText = std::string(follower);
      }
    }
    next = end + 1;
  }
  return command;
}

}  // namespace

std::string toUpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool convertUtf8ByTable(std::string_view text, const unsigned char* table, std::vector<char>* out) {
  const unsigned char* in = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  out->resize(size);  // never longer than the UTF-8 text
  char* o = out->data();
  size_t i = 0;
  while (i < size) {
    // Runs of ASCII, which the texts mostly are, eight bytes at a time.
    uint64_t word;
    if (size - i >= 8 && (std::memcpy(&word, in + i, 8), (word & 0x8080808080808080ull) == 0)) {
      std::memcpy(o, in + i, 8);
      o += 8;
      i += 8;
      continue;
    }
    const unsigned c = in[i];
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      ++i;
      continue;
    }
    unsigned codePoint;
    if (c >= 0xC2 && c <= 0xDF && size - i >= 2 && (in[i + 1] & 0xC0) == 0x80) {
      codePoint = ((c & 0x1Fu) << 6) | (in[i + 1] & 0x3Fu);
      i += 2;
    } else if (c >= 0xE0 && c <= 0xEF && size - i >= 3 && (in[i + 1] & 0xC0) == 0x80 &&
               (in[i + 2] & 0xC0) == 0x80) {
      codePoint = ((c & 0x0Fu) << 12) | ((in[i + 1] & 0x3Fu) << 6) | (in[i + 2] & 0x3Fu);
      // Overlong forms and surrogates are not well-formed.
      if (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return false;
      i += 3;
    } else {
      return false;
    }
    *o++ = static_cast<char>(table[codePoint]);
  }
  out->resize(static_cast<size_t>(o - out->data()));
  return true;
}

MNUParser::MNUParser() {
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
  sParserP = this;
}

MNUParser::~MNUParser() {
  KXLOG(LOG_CRT) << "Destructing ..." << LOG_END;
  mPaneCommands.clear();
  mPanes.clear();
  mIndex.clear();
  mPaneOrder.clear();
  mPaneLists.clear();
  if (sParserP == this) sParserP = nullptr;
  KXLOG(LOG_CRT) << "Destructed." << LOG_END;
}

MNUParser::ResourceKind MNUParser::ClassifyName(const std::string& name, std::string* upperName) {
  upperName->assign(name);
  for (char& c : *upperName) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (upperName->compare(0, 6, "PROCMD") == 0 && endsWith(*upperName, ".TXT")) return kCommandText;
  if (endsWith(*upperName, "_PANE.RES")) return kPaneLayout;
  return kSkippedResource;
}

double MNUParser::GetProgress() const { return mProgress ? mProgress->load() : 0.0; }

void MNUParser::AdvanceProgress(double step, double ceiling) {
  double v = GetProgress() + step;
  if (v >= ceiling) v = ceiling;
  if (mProgress && v >= 0.0 && v <= 1.0) mProgress->store(v);
}

bool MNUParser::AddPane(const std::string& name, const std::string& text) {
  if (mPanes.count(name) != 0) return false;
  mPanes.emplace(name, std::make_pair(text, toUpperAscii(text)));
  mIsIndexValid = false;
  return true;
}

void MNUParser::AddPaneResource(const std::string& upperName, const std::string& text) {
  AddPane(upperName.substr(0, upperName.size() - 9), text);
  AdvanceProgress(kPaneStep, kPaneCeiling);
}

void MNUParser::AddCommandResource(const std::string& upperName, std::string_view convertedText) {
  MNUCommand command = parseCommandLines(convertedText, mIsEnglish);
  if (!command.label.empty()) {
    command.key = upperName.substr(0, upperName.size() - 4);
    AddCommand(std::move(command));
  }
  AdvanceProgress(kCommandStep, kCommandCeiling);
}

MNUCommand MNUParser::ParseCommandText(const std::string& text) const {
  return parseCommandLines(text, mIsEnglish);
}

void MNUParser::buildIndex() {
  mIndex.clear();
  mPaneOrder.clear();
  const std::string_view prefix(kIndexPrefix, kIndexPrefixLength);
  for (const auto& pane : mPanes) {
    const size_t paneIndex = mPaneOrder.size();
    mPaneOrder.push_back(&pane);
    const std::string_view text(pane.second.second);
    for (size_t p = text.find(prefix); p != std::string_view::npos; p = text.find(prefix, p + 1)) {
      uint64_t head = 0;
      for (size_t k = 0; k < 8; ++k) {
        const size_t at = p + kIndexPrefixLength + k;
        head = (head << 8) | (at < text.size() ? static_cast<unsigned char>(text[at]) : 0u);
      }
      mIndex.push_back({text.substr(p), head, paneIndex, p});
    }
  }
  mPaneLists.assign(mPaneOrder.size(), nullptr);
  // Most entries differ within the eight bytes after the prefix, which compare as one number.
  std::sort(mIndex.begin(), mIndex.end(), [](const Occurrence& a, const Occurrence& b) {
    if (a.head != b.head) return a.head < b.head;
    const int order =
        compareBytes(a.rest.substr(kIndexPrefixLength), b.rest.substr(kIndexPrefixLength));
    return order < 0 || (order == 0 && a.pane < b.pane);
  });
  mIsIndexValid = true;
}

void MNUParser::findInPanes(const std::string& upperKey) {
  if (!mIsIndexValid) buildIndex();
  mHits.clear();
  if (upperKey.compare(0, kIndexPrefixLength, kIndexPrefix) != 0) {
    // Keys that the index does not cover are searched plainly.
    for (size_t pane = 0; pane < mPaneOrder.size(); ++pane) {
      const size_t p = mPaneOrder[pane]->second.second.find(upperKey);
      if (p != std::string::npos) mHits.push_back({pane, p});
    }
    return;
  }
  // Every occurrence of the key is an index entry whose text starts with the key; those entries
  // are one contiguous run of the sorted index.
  const std::string_view key = std::string_view(upperKey).substr(kIndexPrefixLength);
  auto it = std::lower_bound(mIndex.begin(), mIndex.end(), key,
                             [](const Occurrence& o, std::string_view k) {
                               return compareBytes(o.rest.substr(kIndexPrefixLength), k) < 0;
                             });
  for (; it != mIndex.end() && startsWith(it->rest.substr(kIndexPrefixLength), key); ++it) {
    auto hit = std::find_if(mHits.begin(), mHits.end(), [&](const std::pair<size_t, size_t>& h) {
      return h.first == it->pane;
    });
    if (hit == mHits.end()) {
      mHits.push_back({it->pane, it->position});
    } else if (it->position < hit->second) {
      hit->second = it->position;
    }
  }
  std::sort(mHits.begin(), mHits.end());
}

bool MNUParser::AddCommand(MNUCommand command) {
  try {
    if (command.key.empty() || command.label.empty()) return false;
    bool isUpper = true;
    for (char c : command.key) isUpper = isUpper && !(c >= 'a' && c <= 'z');
    std::string upperKey;
    if (!isUpper) upperKey = toUpperAscii(command.key);
    findInPanes(isUpper ? command.key : upperKey);
    size_t left = mHits.size();
    for (const auto& hit : mHits) {
      try {
        const PaneEntry& pane = *mPaneOrder[hit.first];
        if (command.command.empty()) {
          command.command = pane.second.first.substr(hit.second, command.key.size());
        }
        std::vector<MNUCommand>*& list = mPaneLists[hit.first];
        if (!list) list = &mPaneCommands[pane.first];
        // The last pane takes the record itself, the others a copy.
        if (--left == 0) {
          list->push_back(std::move(command));
          break;
        }
        list->push_back(command);
      } catch (...) {
        KXLOG(LOG_ERR) << "Error AddCommand() 2" << LOG_END;
      }
    }
  } catch (...) {
    KXLOG(LOG_ERR) << "Error AddCommand() 1" << LOG_END;
  }
  return true;
}

MNUCommand parseCommandTextBytes(const uint8_t* data, size_t size, bool isEnglish) {
  return parseCommandLines(std::string_view(reinterpret_cast<const char*>(data), size), isEnglish);
}
