#include "windows/control_gallery.h"

#include <commctrl.h>

#include <cstdio>

#include "windows/scroll_spy.h"
#include "windows/window_class.h"

namespace {

const wchar_t kGalleryClass[] = L"KxControlGallery";
const wchar_t kGroupClass[] = L"KxGroupFrame";

// The toolkit controls, each with the vertical range it keeps (nMax; the page is a tenth of it, at
// least 1), from below 50 to thousands of lines.
struct ToolkitControl {
  const char* mName;
  const wchar_t* mClass;
  int mMax;
};
const ToolkitControl kToolkit[] = {
    {"treeview", L"TreeView", 30},
    {"gxwnd", L"GXWND", 2500},
    {"drawarea", L"uintGraphDrawArea", 200},
    {"toolkit-list", L"List", 200},
    {"toolkit-tree", L"Tree", 40},
    {"browser", L"Internet Explorer_Server", 2500},
    // Named like a listed class without being one: a plug-in must leave it alone.
    {"decoy", L"ListBoxEx", 200},
};
constexpr int kHorzMax = 400;
constexpr int kHorzPage = 100;

SCROLLINFO scrollInfo(UINT mask) {
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = mask;
  return si;
}

int clampPosition(const SCROLLINFO& si, int pos) {
  const int last = si.nMax - static_cast<int>(si.nPage > 0 ? si.nPage - 1 : 0);
  if (pos > last) pos = last;
  if (pos < si.nMin) pos = si.nMin;
  return pos;
}

void scrollTo(HWND w, int bar, int pos) {
  SCROLLINFO si = scrollInfo(SIF_ALL);
  GetScrollInfo(w, bar, &si);
  si.fMask = SIF_POS;
  si.nPos = clampPosition(si, pos);
  SetScrollInfo(w, bar, &si, TRUE);
  InvalidateRect(w, nullptr, TRUE);
}

// A control of the host's toolkit: it moves its own scroll position like the system's controls.
LRESULT CALLBACK toolkitProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const int bar = msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
      SCROLLINFO si = scrollInfo(SIF_ALL);
      GetScrollInfo(w, bar, &si);
      int pos = si.nPos;
      switch (LOWORD(wp)) {
        case SB_LINEUP:
          pos -= 1;
          break;
        case SB_LINEDOWN:
          pos += 1;
          break;
        case SB_PAGEUP:
          pos -= static_cast<int>(si.nPage);
          break;
        case SB_PAGEDOWN:
          pos += static_cast<int>(si.nPage);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          pos = si.nTrackPos;
          break;
        case SB_TOP:
          pos = si.nMin;
          break;
        case SB_BOTTOM:
          pos = si.nMax;
          break;
        default:
          return 0;
      }
      scrollTo(w, bar, pos);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      // Three lines per notch, as the system's controls take it.
      const int notches = static_cast<short>(HIWORD(wp)) / WHEEL_DELTA;
      SCROLLINFO si = scrollInfo(SIF_POS);
      GetScrollInfo(w, SB_VERT, &si);
      scrollTo(w, SB_VERT, si.nPos - 3 * notches);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      wchar_t cls[64] = {};
      GetClassNameW(w, cls, 64);
      wchar_t text[128];
      swprintf(text, 128, L"%ls  line %d", cls, GetScrollPos(w, SB_VERT));
      SetBkMode(dc, TRANSPARENT);
      TextOutW(dc, 4, 4, text, static_cast<int>(wcslen(text)));
      EndPaint(w, &ps);
      return 0;
    }
  }
  return DefWindowProcW(w, msg, wp, lp);
}

// The frame of a group of controls, lying over them as the toolkit's layout frames do; it draws
// only its border and caption.
LRESULT CALLBACK groupProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      RECT rc;
      GetClientRect(w, &rc);
      FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
      SetBkMode(dc, TRANSPARENT);
      TextOutW(dc, 6, rc.bottom - 18, L"Group", 5);
      EndPaint(w, &ps);
      return 0;
    }
  }
  return DefWindowProcW(w, msg, wp, lp);
}

// A report list of 400 rows and six wide columns.
HWND createListView(HWND parent, HINSTANCE inst, int x, int y, int width, int height) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                              child | LVS_REPORT | LVS_SHOWSELALWAYS, x, y, width, height, parent,
                              nullptr, inst, nullptr);
  for (int c = 0; c < 6; ++c) {
    wchar_t title[32];
    swprintf(title, 32, L"Parameter %d", c + 1);
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 220;
    col.pszText = title;
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
  }
  // Filled without a repaint per row: under Wine each visible insert costs milliseconds.
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_SETITEMCOUNT, 400, 0);
  for (int r = 0; r < 400; ++r) {
    wchar_t text[64];
    swprintf(text, 64, L"Row %03d", r + 1);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = text;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  return list;
}

// A multi-line edit holding 300 relations, longer than it is wide.
HWND createRelations(HWND parent, HINSTANCE inst, int x, int y, int width, int height) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  std::wstring lines;
  for (int i = 0; i < 300; ++i) {
    wchar_t line[160];
    swprintf(line, 160,
             L"Line %03d: a relation long enough to need the horizontal bar, d%d = %d\r\n", i + 1,
             i, i * 7);
    lines += line;
  }
  HWND edit = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"Edit", lines.c_str(),
      child | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, x, y, width,
      height, parent, nullptr, inst, nullptr);
  return edit;
}

}  // namespace

bool ControlGallery::create(HWND owner, HostJournal* journal, std::string* error) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  bool registered = registerWindowClass(kGalleryClass, DefWindowProcW, face) &&
                    registerWindowClass(kGroupClass, groupProc, nullptr);
  for (const ToolkitControl& t : kToolkit)
    registered =
        registered && registerWindowClass(t.mClass, toolkitProc, GetSysColorBrush(COLOR_WINDOW));
  if (!registered) {
    *error = "cannot register the gallery's window classes, Windows error " +
             std::to_string(GetLastError());
    return false;
  }
  HINSTANCE inst = GetModuleHandleW(nullptr);
  mWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kGalleryClass, L"Controls",
                            WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 730, 1270, 270, owner, nullptr,
                            inst, nullptr);
  if (!mWindow) {
    *error = "cannot create the gallery, Windows error " + std::to_string(GetLastError());
    return false;
  }
  const int top = 8, height = 200, width = 130, gap = 8;
  int left = 8;
  auto next = [&]() {
    const int at = left;
    left += width + gap;
    return at;
  };
  const DWORD child = WS_CHILD | WS_VISIBLE;

  HWND list = createListView(mWindow, inst, next(), top, width, height);
  mControls.push_back({"listview", list});

  HWND edit = createRelations(mWindow, inst, next(), top, width, height);
  mControls.push_back({"edit", edit});

  int groupLeft = 0, groupRight = 0;
  for (const ToolkitControl& t : kToolkit) {
    const int x = next();
    HWND w = CreateWindowExW(WS_EX_CLIENTEDGE, t.mClass, nullptr, child | WS_VSCROLL | WS_HSCROLL,
                             x, top, width, height, mWindow, nullptr, inst, nullptr);
    if (!w) break;
    SCROLLINFO si = scrollInfo(SIF_RANGE | SIF_PAGE | SIF_POS);
    si.nMax = t.mMax;
    si.nPage = t.mMax / 10 > 0 ? t.mMax / 10 : 1;
    SetScrollInfo(w, SB_VERT, &si, FALSE);
    si.nMax = kHorzMax;
    si.nPage = kHorzPage;
    SetScrollInfo(w, SB_HORZ, &si, FALSE);
    mControls.push_back({t.mName, w});
    if (std::string(t.mName) == "gxwnd") groupLeft = x - 4;
    if (std::string(t.mName) == "drawarea") groupRight = x + width + 4;
  }
  if (mControls.size() != 2 + sizeof(kToolkit) / sizeof(kToolkit[0]) || !list || !edit) {
    *error =
        "cannot create the gallery's controls, Windows error " + std::to_string(GetLastError());
    return false;
  }
  // On top of its siblings, over "GXWND" and "uintGraphDrawArea".
  HWND group = CreateWindowExW(0, kGroupClass, nullptr, child, groupLeft, 2, groupRight - groupLeft,
                               height + 30, mWindow, nullptr, inst, nullptr);
  if (!group) {
    *error = "cannot create the group frame, Windows error " + std::to_string(GetLastError());
    return false;
  }
  SetWindowPos(group, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  mControls.push_back({"group", group});
  for (const Entry& e : mControls)
    if (e.mName != "group") scroll_spy::watch(e.mWindow, e.mName, journal);
  return true;
}

HWND ControlGallery::control(const std::string& name) const {
  if (name == "gallery") return mWindow;
  for (const Entry& e : mControls)
    if (e.mName == name) return e.mWindow;
  return nullptr;
}

std::vector<std::string> ControlGallery::names() const {
  std::vector<std::string> result;
  for (const Entry& e : mControls) result.push_back(e.mName);
  return result;
}
