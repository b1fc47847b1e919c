// A small DLL-mode application the host tests load into the emulated host. What it does is chosen
// by the environment variable KXH_CASE; it reports what the host answered as journal notes.
#include <windows.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "api/kx_host_extra.h"
#include "pro_toolkit.h"

namespace {

bool gMove = false;
bool gScroll = false;
uiCmdCmdId gMoveId = nullptr;
uiCmdCmdId gScrollId = nullptr;

void note(const char* fmt, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  kxh_JournalNote(buf);
}

// The host's API takes text as char* although it does not write to it.
char* chars(const char* text) { return const_cast<char*>(text); }

bool isCase(const char* name) {
  const char* c = std::getenv("KXH_CASE");
  return c && std::strstr(c, name) != nullptr;
}

uiCmdAccessState moveAccess(uiCmdAccessMode) {
  ProMode mode = -1;
  ProError err = ProModeCurrentGet(&mode);
  return err == PRO_TK_NO_ERROR && mode == PRO_MODE_ASSEMBLY ? ACCESS_AVAILABLE
                                                             : ACCESS_UNAVAILABLE;
}

uiCmdAccessState scrollAccess(uiCmdAccessMode) {
  return isCase("invisible") ? ACCESS_INVISIBLE : ACCESS_AVAILABLE;
}

// The check mark of a button shows its mode's flag.
template <bool* flag>
int checkValue(uiCmdCmdId, uiCmdValue* value) {
  ProCmdChkbuttonValueSet(value, *flag ? PRO_B_TRUE : PRO_B_FALSE);
  return -1;
}

int moveAction(uiCmdCmdId, uiCmdValue*, void*) {
  gMove = !gMove;
  wchar_t macro[128];
  ProStringToWstring(macro, chars("~ Command `ProCmdEnvMdlDisp` `Wireframe`;"));
  ProError err = ProMacroLoad(macro);
  note("action move=%d macro_result=%d", gMove ? 1 : 0, err);
  note("action end");
  return 0;
}

int scrollAction(uiCmdCmdId, uiCmdValue*, void*) {
  gScroll = !gScroll;
  wchar_t macro[128];
  ProStringToWstring(macro, chars("~ Command `ProCmdNoSuchThing`;"));
  ProError err = ProMacroLoad(macro);
  ProStringToWstring(macro, chars("~ Command `Unclosed;"));
  ProError bad = ProMacroLoad(macro);
  note("scroll action macro_result=%d malformed_result=%d", err, bad);
  return 0;
}

int ignoredAction(uiCmdCmdId, uiCmdValue*, void*) {
  note("second registration's action ran");
  return 0;
}

ProError onWindow() {
  int id = -99;
  ProMode mode = -99;
  ProBoolean sketch = -1;
  ProError e1 = ProWindowCurrentGet(&id);
  ProError e2 = ProModeCurrentGet(&mode);
  ProError e3 = ProSectionIsActive(&sketch);
  note("notify24 window=%d/%d mode=%d/%d sketch=%d/%d", id, e1, mode, e2, sketch, e3);
  return PRO_TK_NO_ERROR;
}

ProError onRetrieve() {
  note("notify18");
  return PRO_TK_NO_ERROR;
}

ProError onCreate() {
  note("notify41");
  return PRO_TK_NO_ERROR;
}

void probeNoModel() {
  ProMdl mdl = nullptr;
  ProError noModel = ProMdlCurrentGet(&mdl);
  if (noModel == PRO_TK_NO_ERROR) return;  // a model is open: nothing to probe
  ProMode mode = 0;
  int win = 0;
  ProSelection* sels = nullptr;
  ProMatrix m;
  note("nomodel mdl=%d mode=%d window=%d sel=%d sel_null=%d view=%d", noModel,
       ProModeCurrentGet(&mode), ProWindowCurrentGet(&win), ProSelbufferSelectionsGet(&sels),
       sels == nullptr ? 1 : 0, ProViewMatrixGet(nullptr, nullptr, m));
  ProBoolean sketch = -1;
  ProError section = ProSectionIsActive(&sketch);
  note("nomodel refit=%d refresh=%d section=%d/%d null_mode=%d", ProViewRefit(nullptr, nullptr),
       ProWindowRefresh(PRO_VALUE_UNUSED), section, sketch, ProModeCurrentGet(nullptr));
}

void probeSelection() {
  ProMdl mdl = nullptr;
  ProMdlCurrentGet(&mdl);
  ProSelection* sels = nullptr;
  ProError err = ProSelbufferSelectionsGet(&sels);
  int n = -1;
  ProError sizeErr = sels ? ProArraySizeGet(sels, &n) : PRO_TK_GENERAL_ERROR;
  int bogus = 0;
  note("sel err=%d size_err=%d n=%d bogus_size=%d", err, sizeErr, n,
       ProArraySizeGet(&bogus, &bogus));
  ProAssemblyDynPosSet(mdl, PRO_B_TRUE);
  for (int i = 0; i < n; ++i) {
    ProAsmcomppath path;
    path.table_num = -7;
    ProError pe = ProSelectionAsmcomppathGet(sels[i], &path);
    std::string ids;
    for (int k = 0; k < path.table_num; ++k)
      ids += (k ? "/" : "") + std::to_string(path.comp_id_table[k]);
    note("sel %d path_err=%d levels=%d ids=%s owner_is_current=%d", i, pe, path.table_num,
         ids.c_str(), path.owner == mdl ? 1 : 0);
    if (path.table_num < 1) continue;
    ProAsmcomp comp;
    ProError fe = ProFeatureInit(path.owner, path.comp_id_table[0], &comp);
    ProMatrix m;
    ProError ge = ProAsmcompPositionGet(&comp, m);
    note("comp %d init=%d get=%d origin=%g,%g,%g", comp.id, fe, ge, m[3][0], m[3][1], m[3][2]);
    m[3][0] += 1;
    m[3][1] += 2;
    m[3][2] += 3;
    ProError se = ProAsmcompPositionSet(&path, &comp, m);
    ProMatrix back;
    ProAsmcompPositionGet(&comp, back);
    ProError re = ProAsmcompRegenerate(&comp, PRO_B_TRUE);
    note("comp %d set=%d regen=%d now=%g,%g,%g", comp.id, se, re, back[3][0], back[3][1],
         back[3][2]);
  }
  ProAsmcomp missing;
  note("missing init=%d", ProFeatureInit(mdl, 4242, &missing));
  ProAssemblyDynPosSet(mdl, PRO_B_FALSE);
  int win = -1;
  ProWindowCurrentGet(&win);
  note("refresh=%d", ProWindowRefresh(win));
}

void probeView() {
  ProMatrix m;
  ProError ge = ProViewMatrixGet(nullptr, nullptr, m);
  note("view get=%d diag=%g,%g,%g", ge, m[0][0], m[1][1], m[2][2]);
  // A quarter turn about Y with a translation: vectors must ignore the translation.
  ProMatrix r = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {10, 20, 30, 1}};
  ProError se = ProViewMatrixSet(nullptr, nullptr, r);
  ProMatrix back;
  ProViewMatrixGet(nullptr, nullptr, back);
  double diff = 0;
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) diff += std::fabs(back[i][k] - r[i][k]);
  ProVector x = {1, 0, 0}, out = {0, 0, 0};
  ProError te = ProVectorTrfEval(x, r, out);
  ProMdl mdl = nullptr;
  ProMdlCurrentGet(&mdl);
  ProMatrix byModel;
  ProError me = ProViewMatrixGet(mdl, nullptr, byModel);
  note("view set=%d roundtrip=%g trf=%d out=%g,%g,%g by_model=%d", se, diff, te, out[0], out[1],
       out[2], me);
  note("view refit=%d refresh=%d refresh_bad=%d bad_view=%d", ProViewRefit(nullptr, nullptr),
       ProWindowRefresh(PRO_VALUE_UNUSED), ProWindowRefresh(99),
       ProViewMatrixGet(nullptr, reinterpret_cast<ProView>(8), m));
  ProViewMatrixGet(nullptr, nullptr, back);
  note("after refit translation=%g,%g,%g", back[3][0], back[3][1], back[3][2]);
}

void probeThread() {
  ProError fromThread = 0;
  std::thread t([&fromThread]() {
    ProMode mode = 0;
    fromThread = ProModeCurrentGet(&mode);
  });
  t.join();
  note("thread result=%d", fromThread);
}

// Scrolls whatever lies under the pointer, the way a scrolling plug-in drives the host's controls.
void probeScroll() {
  POINT p;
  GetCursorPos(&p);
  HWND w = WindowFromPoint(p);
  char cls[256] = {};
  GetClassNameA(w, cls, sizeof cls);
  for (int i = 0; i < 5; ++i) SendMessageA(w, WM_VSCROLL, SB_LINEDOWN, 0);
  // One wheel notch down through the message queue, at the pointer.
  if (isCase("wheel")) PostMessageA(w, WM_MOUSEWHEEL, 0xFF880000u, MAKELPARAM(p.x, p.y));
  note("scrolled %s", cls);
}

ProError onPopupOpen() {
  if (isCase("scroll")) probeScroll();
  if (isCase("nomodel")) probeNoModel();
  if (isCase("select")) probeSelection();
  if (isCase("view")) probeView();
  if (isCase("thread")) probeThread();
  return PRO_TK_NO_ERROR;
}

ProError onPopupClose() {
  note("notify73");
  return PRO_TK_NO_ERROR;
}

// Finds the graphics window the way a plug-in does: the thread's top-level windows, then all their
// descendants.
HWND gPgl = nullptr;
BOOL CALLBACK findPgl(HWND w, LPARAM) {
  char cls[256] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::strcmp(cls, "PGLWindow") != 0) return TRUE;
  gPgl = w;
  return FALSE;
}
BOOL CALLBACK topLevel(HWND w, LPARAM) {
  EnumChildWindows(w, findPgl, 0);
  return gPgl == nullptr;
}
void noteGraphicsWindow() {
  EnumThreadWindows(GetCurrentThreadId(), topLevel, 0);
  int depth = 0;
  for (HWND p = gPgl; p && GetParent(p); p = GetParent(p)) ++depth;
  note("pgl=%lld depth=%d", static_cast<long long>(reinterpret_cast<uintptr_t>(gPgl)), depth);
}

void defineMapkeys() {
  const char* trail = std::getenv("KXH_TRAIL");
  std::string doubled;
  for (const char* p = trail ? trail : ""; *p; ++p) {
    // Every run of backslashes written as two, the way installers and the plug-in write paths.
    if (*p == '\\') {
      while (p[1] == '\\') ++p;
      doubled += "\\\\";
    } else {
      doubled += *p;
    }
  }
  std::string def =
      "kt @MAPKEY_LABELTest;~ Command `ProCmdUtilTrailTrain` ;"
      "~ Update `file_open` `Inputname` `" +
      doubled + "`;~ Command `ProFileSelPushOpen@context_dlg_open_cmd`;";
  static wchar_t wide[2048];
  static wchar_t option[16];
  ProStringToWstring(option, chars("mapkey"));
  ProStringToWstring(wide, chars(def.c_str()));
  ProError ok = ProConfigoptSet(option, wide);
  ProStringToWstring(wide, chars("kq ~ Command `ProCmdViewRefit"));
  ProError bad = ProConfigoptSet(option, wide);
  ProStringToWstring(wide, chars("nospace"));
  ProError bad2 = ProConfigoptSet(option, wide);
  note("mapkey result=%d malformed=%d no_steps=%d", ok, bad, bad2);
}

// Case "worker": a thread that runs while the application runs and is joined at its stop.
// Case "handlekept": an event handle opened at every start and never closed.
HANDLE gWorkerStop = nullptr;
HANDLE gWorker = nullptr;

DWORD WINAPI workerMain(LPVOID) {
  WaitForSingleObject(gWorkerStop, INFINITE);
  return 0;
}

// Case "window_thread": a visible window of a thread of its own that closes when asked, as a
// careless application's would. Case "window_ui": a visible window of the host's thread.
HANDLE gWindowThread = nullptr;
HWND gUiWindow = nullptr;

LRESULT CALLBACK plainWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(w, msg, wp, lp);
}

HWND createTestWindow(const char* cls) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = plainWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, cls, "Kxt", WS_OVERLAPPEDWINDOW, 10, 10, 120, 60, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  ShowWindow(w, SW_SHOWNOACTIVATE);
  return w;
}

DWORD WINAPI windowThreadMain(LPVOID) {
  createTestWindow("KxtThreadWindow");
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
  UnregisterClassA("KxtThreadWindow", GetModuleHandleA(nullptr));
  return 0;
}

void startResources() {
  if (isCase("window_thread"))
    gWindowThread = CreateThread(nullptr, 0, windowThreadMain, nullptr, 0, nullptr);
  if (isCase("window_ui")) gUiWindow = createTestWindow("KxtUiWindow");
  if (isCase("worker")) {
    gWorkerStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    gWorker = CreateThread(nullptr, 0, workerMain, nullptr, 0, nullptr);
  }
  if (isCase("handlekept")) CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

void stopResources() {
  if (gUiWindow) {
    DestroyWindow(gUiWindow);
    UnregisterClassA("KxtUiWindow", GetModuleHandleA(nullptr));
    gUiWindow = nullptr;
  }
  if (gWindowThread) {
    // Closed by the host's request long before; the thread has ended with its window.
    WaitForSingleObject(gWindowThread, 5000);
    CloseHandle(gWindowThread);
    gWindowThread = nullptr;
  }
  if (!gWorker) return;
  SetEvent(gWorkerStop);
  WaitForSingleObject(gWorker, INFINITE);
  CloseHandle(gWorker);
  CloseHandle(gWorkerStop);
  gWorker = gWorkerStop = nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) int user_initialize(int argc, char* argv[], char* version,
                                                     char* build, wchar_t err_buff[80]) {
  note("init argc=%d argv0=%d version=%s build=%s", argc,
       argc > 0 && argv && argv[0] && argv[0][0] ? 1 : 0, version ? version : "-",
       build ? build : "-");
  if (isCase("initfail")) {
    const wchar_t text[] = L"test start failure";
    std::memcpy(err_buff, text, sizeof text);
    return 7;
  }
  wchar_t msg[] = L"kxtest.txt";
  ProError a = ProCmdOptionAdd(chars("Kxt_Move"), moveAction, PRO_B_TRUE, checkValue<&gMove>,
                               moveAccess, PRO_B_TRUE, PRO_B_TRUE, &gMoveId);
  uiCmdCmdId again = nullptr;
  ProError b = ProCmdOptionAdd(chars("Kxt_Move"), ignoredAction, PRO_B_TRUE, checkValue<&gMove>,
                               moveAccess, PRO_B_TRUE, PRO_B_TRUE, &again);
  ProError c = ProCmdOptionAdd(chars("Kxt_Scroll"), scrollAction, PRO_B_TRUE, checkValue<&gScroll>,
                               scrollAccess, PRO_B_TRUE, PRO_B_TRUE, &gScrollId);
  note("cmd add=%d dup=%d same_id=%d scroll=%d", a, b, again == gMoveId ? 1 : 0, c);
  ProError m = ProMenubarMenuAdd(chars("KxTest"), chars("KxTest"), chars("Help"), PRO_B_FALSE, msg);
  ProError bm =
      ProMenubarMenuAdd(chars("KxOther"), chars("KxOther"), chars("NoSuchMenu"), PRO_B_FALSE, msg);
  ProError i1 = ProMenubarmenuChkbuttonAdd(chars("KxTest"), chars("Kxt Move"), chars("Kxt Move"),
                                           chars("Kxt Move"), nullptr, PRO_B_TRUE, gMoveId, msg);
  ProError i2 =
      ProMenubarmenuChkbuttonAdd(chars("KxTest"), chars("Kxt Scroll"), chars("Kxt Scroll"),
                                 chars("Kxt Scroll"), nullptr, PRO_B_TRUE, gScrollId, msg);
  ProError i3 = ProMenubarmenuChkbuttonAdd(chars("NoSuchMenu"), chars("X"), chars("X"), nullptr,
                                           nullptr, PRO_B_TRUE, gMoveId, msg);
  ProCmdDesignate(gMoveId, chars("Kxt Move"), chars("Kxt Move"), chars("Kxt Move"), msg);
  note("menu add=%d bad_neighbour=%d item1=%d item2=%d bad_parent=%d", m, bm, i1, i2, i3);
  ProNotificationSet(PRO_WINDOW_CHANGE_POST, onWindow);
  ProNotificationSet(PRO_MDL_RETRIEVE_POST, onRetrieve);
  ProNotificationSet(PRO_MDL_CREATE_POST, onCreate);
  ProNotificationSet(PRO_POPUPMENU_CREATE_POST, onPopupOpen);
  ProNotificationSet(PRO_POPUPMENU_DESTROY_PRE, onPopupClose);
  if (isCase("unset41")) {
    ProError first = ProNotificationUnset(PRO_MDL_CREATE_POST);
    ProError again = ProNotificationUnset(PRO_MDL_CREATE_POST);
    note("unset41=%d again=%d", first, again);
  }
  if (isCase("mapkey")) defineMapkeys();
  noteGraphicsWindow();
  startResources();
  return 0;
}

extern "C" __declspec(dllexport) void user_terminate(void) {
  // With the case "leak" the notifications stay set, which the host must catch.
  if (!isCase("leak")) {
    for (ProNotifyType t : {PRO_WINDOW_CHANGE_POST, PRO_MDL_RETRIEVE_POST, PRO_MDL_CREATE_POST,
                            PRO_POPUPMENU_CREATE_POST, PRO_POPUPMENU_DESTROY_PRE})
      ProNotificationUnset(t);
  }
  stopResources();
  note("terminate");
}
