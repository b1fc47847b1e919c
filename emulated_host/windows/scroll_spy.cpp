#include "windows/scroll_spy.h"

#include <cstring>
#include <map>

#include "journal/host_journal.h"
#include "json_line.h"

namespace {

struct Watched {
  std::string mName;
  WNDPROC mBase;
  long long mCount;
  // When the previous scroll message was sent or posted to the control (ms), -1 before one.
  long long mLast;
};

// Milliseconds since the control's previous scroll message, -1 for its first.
long long sincePrevMs(Watched* watched, DWORD stampMs) {
  const long long last = watched->mLast;
  watched->mLast = stampMs;
  return last < 0 ? -1 : static_cast<long long>(static_cast<DWORD>(stampMs - last));
}

std::map<HWND, Watched>& watchedControls() {
  static std::map<HWND, Watched> controls;
  return controls;
}
HostJournal* sJournal = nullptr;
const MSG* sDispatched = nullptr;

struct Positions {
  SCROLLINFO mVert;
  SCROLLINFO mHorz;
};

Positions positionsOf(HWND w) {
  Positions p = {};
  for (SCROLLINFO* si : {&p.mVert, &p.mHorz}) {
    si->cbSize = sizeof(SCROLLINFO);
    si->fMask = SIF_POS | SIF_RANGE | SIF_PAGE;
    // A control without that bar answers with an error and leaves the zeros.
    if (!GetScrollInfo(w, si == &p.mVert ? SB_VERT : SB_HORZ, si)) {
      si->nPos = si->nMin = si->nMax = 0;
      si->nPage = 0;
    }
  }
  return p;
}

LRESULT CALLBACK spyProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto it = watchedControls().find(w);
  if (it == watchedControls().end()) return DefWindowProcW(w, msg, wp, lp);
  const WNDPROC base = it->second.mBase;
  const bool isScroll = msg == WM_VSCROLL || msg == WM_HSCROLL || msg == WM_MOUSEWHEEL;
  if (!isScroll || !sJournal) return CallWindowProcW(base, w, msg, wp, lp);
  const char* how = scroll_spy::delivery(w, msg, wp, lp);
  // A posted message counts from its posting: a busy thread may dispatch several at once.
  const DWORD stamp = std::strcmp(how, "posted") == 0 ? sDispatched->time : GetTickCount();
  const long long sincePrev = sincePrevMs(&it->second, stamp);
  const Positions before = positionsOf(w);
  const LRESULT result = CallWindowProcW(base, w, msg, wp, lp);
  const Positions after = positionsOf(w);
  const long long count = ++it->second.mCount;
  JsonLine line("scroll");
  line.str("control", it->second.mName)
      .str("msg", msg == WM_VSCROLL   ? "vscroll"
                  : msg == WM_HSCROLL ? "hscroll"
                                      : "wheel")
      .num("code", LOWORD(wp))
      .str("delivery", how);
  if (msg == WM_MOUSEWHEEL) {
    RECT r = {};
    GetWindowRect(w, &r);
    const int x = static_cast<short>(LOWORD(lp));
    const int y = static_cast<short>(HIWORD(lp));
    line.num("delta", static_cast<short>(HIWORD(wp)))
        .num("x", x)
        .num("y", y)
        .num("rel_x", x - r.left)
        .num("rel_y", y - r.top);
  }
  line.num("pos_before", before.mVert.nPos)
      .num("pos", after.mVert.nPos)
      .num("max", after.mVert.nMax)
      .num("page", after.mVert.nPage)
      .num("hpos_before", before.mHorz.nPos)
      .num("hpos", after.mHorz.nPos)
      .num("hmax", after.mHorz.nMax)
      .num("n", count)
      .num("since_prev_ms", sincePrev);
  sJournal->write(line);
  return result;
}

}  // namespace

namespace scroll_spy {

void watch(HWND control, const std::string& name, HostJournal* journal) {
  sJournal = journal;
  // The original procedure outlives the journal: the controls still get messages at exit.
  Watched entry = {name, nullptr, 0, -1};
  watchedControls()[control] = entry;
  watchedControls()[control].mBase = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spyProc)));
}

void stop() { sJournal = nullptr; }

void setDispatched(const MSG* message) { sDispatched = message; }
const MSG* dispatched() { return sDispatched; }

const char* delivery(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const MSG* queued = sDispatched;
  const bool isPosted = queued && queued->hwnd == window && queued->message == message &&
                        queued->wParam == wParam && queued->lParam == lParam;
  if (isPosted) return "posted";
  // Another thread's SendMessage waits in that thread; the host's controls are the
  // user-interface thread's to drive.
  return (InSendMessageEx(nullptr) & ISMEX_SEND) != 0 ? "sent_by_other_thread" : "sent";
}

}  // namespace scroll_spy
