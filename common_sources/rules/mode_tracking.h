// Which host mode the plug-in keeps, from what the host answered when asked for it.
#pragma once

#include <cstdint>

// The answers of the host's mode, sketch and current-window calls, with their results (0 success).
struct ModeAnswers {
  int32_t mMode;
  int32_t mSectionResult;
  int32_t mIsSketcher;  // the host's boolean: 1 while a sketch is edited
  int32_t mWindowResult;
  int32_t mWindowId;  // 0 when the call failed
};

struct ModeDecision {
  int32_t mMode;
  bool mIsRestored;  // the previous mode was kept: another window is current
};

// A sketch being edited is the sketcher's mode (0), whatever the model. A check that follows the
// windows (notifications, timer) remembers the current window; a check from an access callback in
// another window keeps the previous mode.
ModeDecision decideMode(int32_t oldMode, const ModeAnswers& answers, bool keepOnWindowChange,
                        int32_t* lastWindowId);
