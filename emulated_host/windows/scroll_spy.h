// Journals every scroll and wheel message a watched control receives: what came (message, line
// code, wheel delta, the pointer position a wheel message carries), how (sent or posted through
// the message loop) and what it did (the scroll positions before and after).
#ifndef KX_EMULATED_HOST_SCROLL_SPY_H
#define KX_EMULATED_HOST_SCROLL_SPY_H

#include <windows.h>

#include <string>

class HostJournal;

namespace scroll_spy {

// Subclasses the control; its messages are journaled under the name.
void watch(HWND control, const std::string& name, HostJournal* journal);
// The journal is going away: the controls keep working, nothing more is written.
void stop();
// The message the host's message loop is dispatching now; a message that reaches a control
// otherwise was sent.
void setDispatched(const MSG* message);
const MSG* dispatched();
// "posted" when this message is the one the loop dispatches now, "sent_by_other_thread" when
// another thread sent it, else "sent".
const char* delivery(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace scroll_spy

#endif
