#include "windows/window_reading.h"

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string WindowReading::textForm(const std::string& text) {
  std::string form;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!isDigit(text[i])) {
      form += text[i];
    } else if (i == 0 || !isDigit(text[i - 1])) {
      form += '#';
    }
  }
  return form;
}

int WindowReading::textNumber(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && !isDigit(text[end - 1])) --end;
  if (end == 0) return -1;
  size_t begin = end;
  while (begin > 0 && isDigit(text[begin - 1])) --begin;
  if (end - begin > 9) return -1;
  return std::stoi(text.substr(begin, end - begin));
}

bool WindowReading::falls(int textNumber, int barPos) {
  bool fell = (textNumber >= 0 && textNumber < mTopNumber) || (barPos >= 0 && barPos < mTopPos);
  if (textNumber > mTopNumber) mTopNumber = textNumber;
  if (barPos > mTopPos) mTopPos = barPos;
  return fell;
}
