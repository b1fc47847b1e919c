#include "creo_window_calls.h"

#include "creo_proxy.h"
#include "sleep_ms.h"

const CreoWindowCalls CreoProxy::kWin32WindowCalls = {
    &GetClassNameA, &GetCursorPos,    &WindowFromPoint, &GetWindowRect,       &GetParent,
    &GetWindow,     &IsWindowVisible, &GetAncestor,     &GetForegroundWindow, &GetScrollInfo,
    &SendMessageA,  &PostMessageA,    &UpdateWindow,    &RedrawWindow,        &sleepMs,
};

CreoWindowCalls CreoProxy::sWindowCalls = CreoProxy::kWin32WindowCalls;
