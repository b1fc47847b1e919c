// A condition on journal events as scenarios write it: key=value, key!=value, key~text (contains),
// key>number, key<number. An event matches when every condition holds. A key may pick one entry of
// an array value, such as matrix[3][0]; key=number+-tolerance holds for a number within the
// tolerance, key!=number+-tolerance for anything else.
#ifndef KX_EMULATED_HOST_JOURNAL_CONDITION_H
#define KX_EMULATED_HOST_JOURNAL_CONDITION_H

#include <map>
#include <string>
#include <vector>

class JournalCondition {
 public:
  bool parse(const std::vector<std::string>& terms, std::string* error);
  bool matches(const std::map<std::string, std::string>& event) const;
  // Number of lines (JSON objects) that match; lines that are not objects are skipped.
  int count(const std::vector<std::string>& lines) const;
  // Index of the first matching line, or -1.
  int first(const std::vector<std::string>& lines) const;
  std::string text() const;

 private:
  struct Term {
    std::string key;
    std::string op;
    std::string value;
    std::vector<int> indices;  // into the key's array value, outermost first
    bool hasTolerance = false;
    double number = 0;
    double tolerance = 0;
  };
  std::vector<Term> mTerms;
};

#endif
