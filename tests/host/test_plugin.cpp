// A small DLL-mode application the host tests load into the emulated host. What it does is chosen
// by the environment variable KXH_CASE; it reports what the host answered as journal notes.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "api/kx_host_extra.h"
#include "pro_toolkit.h"

namespace {

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

// Case "invisible": the menu item is hidden, so a click on it must be refused.
uiCmdAccessState scrollAccess(uiCmdAccessMode) {
  return isCase("invisible") ? ACCESS_INVISIBLE : ACCESS_AVAILABLE;
}

int unchecked(uiCmdCmdId, uiCmdValue* value) {
  ProCmdChkbuttonValueSet(value, PRO_B_FALSE);
  return -1;
}

int toggle(uiCmdCmdId, uiCmdValue*, void*) { return 0; }

// Takes the selection and never frees the array, which the host must catch.
void probeSelection() {
  ProSelection* sels = nullptr;
  ProError err = ProSelbufferSelectionsGet(&sels);
  int n = -1, bogus = 0;
  if (sels) ProArraySizeGet(sels, &n);
  note("sel err=%d n=%d bogus_size=%d", err, n, ProArraySizeGet(&bogus, &bogus));
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

ProError onPopupOpen() {
  if (isCase("select")) probeSelection();
  if (isCase("thread")) probeThread();
  return PRO_TK_NO_ERROR;
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

extern "C" __declspec(dllexport) int user_initialize(int, char*[], char*, char*,
                                                     wchar_t err_buff[80]) {
  if (isCase("initfail")) {
    const wchar_t text[] = L"test start failure";
    std::memcpy(err_buff, text, sizeof text);
    return 7;
  }
  wchar_t msg[] = L"kxtest.txt";
  ProCmdOptionAdd(chars("Kxt_Scroll"), toggle, PRO_B_TRUE, unchecked, scrollAccess, PRO_B_TRUE,
                  PRO_B_TRUE, &gScrollId);
  ProMenubarMenuAdd(chars("KxTest"), chars("KxTest"), chars("Help"), PRO_B_FALSE, msg);
  ProMenubarmenuChkbuttonAdd(chars("KxTest"), chars("Kxt Scroll"), chars("Kxt Scroll"),
                             chars("Kxt Scroll"), nullptr, PRO_B_TRUE, gScrollId, msg);
  ProNotificationSet(PRO_POPUPMENU_CREATE_POST, onPopupOpen);
  startResources();
  return 0;
}

extern "C" __declspec(dllexport) void user_terminate(void) {
  // With the case "leak" the notification stays set, which the host must catch.
  if (!isCase("leak")) ProNotificationUnset(PRO_POPUPMENU_CREATE_POST);
  stopResources();
  note("terminate");
}
