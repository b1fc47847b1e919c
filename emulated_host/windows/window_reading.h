// What the window watch makes of a watched window's text line and progress bar: the text's shape
// with its numbers blanked out, its number, and whether a reading went back below an earlier one.
#ifndef KX_EMULATED_HOST_WINDOW_READING_H
#define KX_EMULATED_HOST_WINDOW_READING_H

#include <string>

class WindowReading {
 public:
  // The text with each run of digits written as one "#".
  static std::string textForm(const std::string& text);
  // The last run of digits in the text, -1 when there is none (or it does not fit an int).
  static int textNumber(const std::string& text);
  // Takes one reading (-1: not known); true when the number or the bar position is below the
  // highest one seen before.
  bool falls(int textNumber, int barPos);

 private:
  int mTopNumber = -1;
  int mTopPos = -1;
};

#endif
