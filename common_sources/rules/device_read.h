// What one read from the controller library means: what the reading thread does with its event
// code, whether the cap is at rest, and whether the timer is woken for it. Pure logic, shared by
// the device link, the host bridge and their tests.
#pragma once

#include <cstdint>

#include "kvx_ctrlr.h"

enum class EventAction {
  kNone,            // nothing but the motion values
  kRereadAdvanced,  // the device's advanced settings changed
  kSpecialCommand,  // a standard view or refit: the code itself is the command
  kApplFunction,    // index code - APPL_FUNC_START into the plug-in's command list
  kResendMode,      // the daemon lost track of the host mode: announce it again
};

// The tests come in this order; a negative code never carries a command.
constexpr EventAction classifyEventCode(int32_t code) {
  if (code < 0) return EventAction::kNone;
  if (code == KX_EV_ADVANCED_SETTINGS_1 || code == KX_EV_ADVANCED_SETTINGS_2)
    return EventAction::kRereadAdvanced;
  if ((code >= KX_EV_SPECIAL_FIRST && code <= KX_EV_SPECIAL_LAST) ||
      (code >= KX_EV_SPECIAL2_FIRST && code <= KX_EV_SPECIAL2_LAST))
    return EventAction::kSpecialCommand;
  if (code >= APPL_FUNC_START) return EventAction::kApplFunction;
  if (code == KX_EV_RESEND_MODE) return EventAction::kResendMode;
  return EventAction::kNone;
}

// The cap counts as at rest while no axis is beyond the threshold.
constexpr bool isCapAtRest(const int16_t motion[6], int16_t threshold) {
  for (int axis = 0; axis < 6; ++axis) {
    const int value = motion[axis] < 0 ? -motion[axis] : motion[axis];
    if (value > threshold) return false;
  }
  return true;
}

// A read after which the user-interface thread has something to start at once: a button's function
// or command, or the cap leaving rest. Motion that goes on is left to the timer's own pace.
constexpr bool isPumpToWake(EventAction action, bool wasAtRest, bool isAtRest) {
  return action == EventAction::kSpecialCommand || action == EventAction::kApplFunction ||
         (wasAtRest && !isAtRest);
}
