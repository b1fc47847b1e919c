// The emulated host's windows: creating the frame, the graphics window's levels, the tree, the
// list, the toolbar and the floating dialog, their layout, and the window procedures. The menu bar
// is in host_windows_menu.cpp, the painting in host_windows_paint.cpp.
#include "windows/host_windows.h"

#include <commctrl.h>

#include <cstdio>

#include "app/host_app.h"
#include "json_line.h"
#include "windows/scroll_spy.h"
#include "windows/window_class.h"

namespace {

HostWindows* sWindows = nullptr;

const wchar_t kFrameClass[] = L"KxCreoFrame";
const wchar_t kAreaClass[] = L"KxGraphicsArea";
const wchar_t kPaneClass[] = L"KxGraphicsPane";
const wchar_t kViewClass[] = L"KxGraphicsView";
const wchar_t kPglClass[] = L"PGLWindow";
const wchar_t kDialogClass[] = L"KxFloatingDialog";

std::string className(HWND w) {
  char buf[256] = {};
  GetClassNameA(w, buf, sizeof buf);
  return buf;
}

HWND createToolbar(HWND frame, HINSTANCE inst) {
  HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_TOP, 0,
                                 0, 0, 0, frame, nullptr, inst, nullptr);
  SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  static const wchar_t* const kButtons[] = {L"New",    L"Open",   L"Save",  L"Regenerate",
                                            L"Refit",  L"Shade",  L"Datum", L"Measure",
                                            L"Sketch", L"Extrude"};
  for (int i = 0; i < 10; ++i) {
    TBBUTTON b = {};
    b.iBitmap = I_IMAGENONE;
    b.idCommand = 100 + i;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    b.iString = reinterpret_cast<INT_PTR>(kButtons[i]);
    SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&b));
  }
  SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
  return toolbar;
}

// The model tree: a root with 320 features, far more than fit.
HWND createTree(HWND frame, HINSTANCE inst) {
  HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | TVS_HASLINES | TVS_HASBUTTONS |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                              0, 0, 0, 0, frame, nullptr, inst, nullptr);
  TVINSERTSTRUCTW ins = {};
  ins.hParent = TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<wchar_t*>(L"MODEL.ASM");
  HTREEITEM root = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  static const wchar_t* const kKinds[] = {L"Datum Plane", L"Extrude", L"Round",
                                          L"Hole",        L"Chamfer", L"Sketch"};
  for (int i = 0; i < 320; ++i) {
    wchar_t text[64];
    swprintf(text, 64, L"%ls %d", kKinds[i % 6], i / 6 + 1);
    ins.hParent = root;
    ins.item.pszText = text;
    SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
  }
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  return tree;
}

// The layer list: 240 lines, wider than the list.
HWND createList(HWND frame, HINSTANCE inst) {
  HWND list = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"ListBox", nullptr,
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0, 0,
      0, frame, nullptr, inst, nullptr);
  for (int i = 0; i < 240; ++i) {
    wchar_t text[64];
    swprintf(text, 64, L"Layer %03d  (items: %d)", i + 1, (i * 7) % 31);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  // Wider than the list, so its horizontal bar has a range.
  SendMessageW(list, LB_SETHORIZONTALEXTENT, 900, 0);
  return list;
}

// A modeless dialog owned by the frame, with controls the plug-in must leave alone.
HWND createDialog(HWND frame, HINSTANCE inst) {
  HWND dialog = CreateWindowExW(WS_EX_TOOLWINDOW, kDialogClass, L"Model Properties",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 1010, 60, 260, 300,
                                frame, nullptr, inst, nullptr);
  CreateWindowExW(0, L"Static", L"Name:", WS_CHILD | WS_VISIBLE, 10, 12, 60, 20, dialog, nullptr,
                  inst, nullptr);
  CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"MODEL", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 75,
                  10, 160, 22, dialog, nullptr, inst, nullptr);
  CreateWindowExW(0, L"Button", L"Close", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 75, 220, 90, 26,
                  dialog, nullptr, inst, nullptr);
  return dialog;
}

}  // namespace

HostWindows::HostWindows(HostApp* app) : mApp(app) { sWindows = this; }

// The windows are left to the end of the process: destroying them one by one under Wine costs
// seconds and the host is exiting anyway.
HostWindows::~HostWindows() {
  scroll_spy::stop();
  sWindows = nullptr;
}
bool HostWindows::create(std::string* error) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  if (!registerWindowClass(kFrameClass, frameProc, face) ||
      !registerWindowClass(kAreaClass, plainProc, face) ||
      !registerWindowClass(kPaneClass, plainProc, face) ||
      !registerWindowClass(kViewClass, plainProc, face) ||
      !registerWindowClass(kPglClass, pglProc, nullptr) ||
      !registerWindowClass(kDialogClass, plainProc, face)) {
    *error = "cannot register window classes, Windows error " + std::to_string(GetLastError());
    return false;
  }
  HINSTANCE inst = GetModuleHandleW(nullptr);
  mFrame = CreateWindowExW(0, kFrameClass, L"Creo Parametric (emulated host)",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1000, 720, nullptr, nullptr,
                           inst, nullptr);
  if (!mFrame) {
    *error = "cannot create the main frame, Windows error " + std::to_string(GetLastError());
    return false;
  }
  mToolbar = createToolbar(mFrame, inst);
  mTree = createTree(mFrame, inst);
  mList = createList(mFrame, inst);
  mArea = CreateWindowExW(0, kAreaClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                          0, mFrame, nullptr, inst, nullptr);
  mPane = CreateWindowExW(0, kPaneClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                          0, mArea, nullptr, inst, nullptr);
  mView = CreateWindowExW(0, kViewClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                          0, mPane, nullptr, inst, nullptr);
  mPgl = CreateWindowExW(0, kPglClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, mView, nullptr,
                         inst, nullptr);
  mDialog = createDialog(mFrame, inst);
  if (!mToolbar || !mTree || !mList || !mArea || !mPane || !mView || !mPgl || !mDialog) {
    *error = "cannot create the window tree, Windows error " + std::to_string(GetLastError());
    return false;
  }
  scroll_spy::watch(mTree, "tree", &mApp->journal());
  scroll_spy::watch(mList, "list", &mApp->journal());
  scroll_spy::watch(mToolbar, "toolbar", &mApp->journal());
  if (!mGallery.create(mFrame, &mApp->journal(), error)) return false;
  rebuildMenuBar();
  layout();
  ShowWindow(mFrame, SW_SHOW);
  UpdateWindow(mFrame);
  SetForegroundWindow(mFrame);
  mApp->journal().write(
      JsonLine("windows")
          .str("frame", className(mFrame))
          .str("graphics", className(mPgl))
          .num("graphics_depth", 4)
          .num("frame_hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(mFrame)))
          .num("graphics_hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(mPgl)))
          .num("dialog_hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(mDialog)))
          .num("tree_items", SendMessageW(mTree, TVM_GETCOUNT, 0, 0))
          .num("list_items", SendMessageW(mList, LB_GETCOUNT, 0, 0)));
  return true;
}
HWND HostWindows::control(const std::string& name) const {
  if (name == "tree") return mTree;
  if (name == "list") return mList;
  if (name == "toolbar") return mToolbar;
  if (name == "graphics") return mPgl;
  if (name == "dialog") return mDialog;
  if (name == "menubar") return mFrame;
  return mGallery.control(name);
}
void HostWindows::layout() {
  if (!mFrame) return;
  RECT rc;
  GetClientRect(mFrame, &rc);
  SendMessageW(mToolbar, TB_AUTOSIZE, 0, 0);
  RECT tb;
  GetWindowRect(mToolbar, &tb);
  int top = tb.bottom - tb.top;
  int h = rc.bottom - top;
  int treeH = h * 3 / 5;
  MoveWindow(mTree, 0, top, 260, treeH, TRUE);
  MoveWindow(mList, 0, top + treeH, 260, h - treeH, TRUE);
  MoveWindow(mArea, 260, top, rc.right - 260, h, TRUE);
  MoveWindow(mPane, 4, 4, rc.right - 268, h - 8, TRUE);
  MoveWindow(mView, 2, 2, rc.right - 272, h - 12, TRUE);
  MoveWindow(mPgl, 0, 0, rc.right - 272, h - 12, TRUE);
}
void HostWindows::replaceGraphics() {
  HWND old = mPgl;
  // The new window exists before the old one goes, so it cannot get the old one's handle back.
  mPgl = CreateWindowExW(0, kPglClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, mView, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  DestroyWindow(old);
  layout();
  repaint();
  mApp->journal().write(
      JsonLine("graphics_replaced")
          .num("old_hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(old)))
          .num("graphics_hwnd", static_cast<long long>(reinterpret_cast<uintptr_t>(mPgl))));
}
LRESULT CALLBACK HostWindows::frameProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  HostWindows* self = sWindows;
  switch (msg) {
    case WM_SIZE:
      if (self) self->layout();
      return 0;
    case WM_INITMENUPOPUP:
      if (self && !HIWORD(lp))
        for (size_t m = 0; m < self->mPopups.size(); ++m)
          if (self->mPopups[m] == reinterpret_cast<HMENU>(wp))
            self->openMenu(static_cast<int>(m), "menu_open");
      return 0;
    case WM_COMMAND:
      if (self && HIWORD(wp) == 0) self->onCommand(LOWORD(wp));
      return 0;
    case WM_KXH_RUN_MACROS:
      if (self) self->mApp->runMacros();
      return 0;
    case WM_KXH_NAV:
      if (self) self->mApp->applyNavigation();
      return 0;
    case WM_TIMER:
      if (wp != kNavDrainTimerId) break;
      KillTimer(w, kNavDrainTimerId);
      if (self) self->mApp->applyNavigation();
      return 0;
    case WM_CLOSE:
      if (self) self->mApp->requestQuit(0);
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}
LRESULT CALLBACK HostWindows::pglProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  HostWindows* self = sWindows;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      RECT rc;
      GetClientRect(w, &rc);
      if (self) self->paintGraphics(dc, rc);
      EndPaint(w, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (self)
        self->mApp->journal().write(JsonLine("key_msg")
                                        .str("msg", msg == WM_KEYDOWN ? "keydown" : "keyup")
                                        .num("wparam", static_cast<long long>(wp))
                                        .num("lparam", static_cast<long long>(lp & 0xffffffff))
                                        .str("delivery", scroll_spy::delivery(w, msg, wp, lp)));
      return 0;
    case WM_CHAR:
      if (self) {
        self->mApp->journal().write(JsonLine("key_msg")
                                        .str("msg", "char")
                                        .num("wparam", static_cast<long long>(wp))
                                        .num("lparam", static_cast<long long>(lp & 0xffffffff))
                                        .str("delivery", scroll_spy::delivery(w, msg, wp, lp)));
        self->mApp->macros().key(static_cast<char>(wp), "graphics");
        self->repaint();
      }
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}
LRESULT CALLBACK HostWindows::plainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, msg, wp, lp);
}
