#include "mode_tracking.h"

ModeDecision decideMode(int32_t oldMode, const ModeAnswers& answers, bool keepOnWindowChange,
                        int32_t* lastWindowId) {
  ModeDecision decision = {answers.mMode, false};
  if (answers.mSectionResult == 0 && answers.mIsSketcher == 1) decision.mMode = 0;
  if (!keepOnWindowChange) *lastWindowId = answers.mWindowId;
  if (answers.mWindowResult == 0 && keepOnWindowChange && answers.mWindowId != *lastWindowId) {
    decision.mMode = oldMode;
    decision.mIsRestored = true;
  }
  return decision;
}
