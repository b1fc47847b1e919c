#include "app/leftovers.h"

#include <map>
#include <mutex>
#include <utility>

#include "app/import_patch.h"

namespace {

struct NotedClass {
  HINSTANCE mInstance;
  bool mIsWide;
};

using RegisterExA = ATOM(WINAPI*)(const WNDCLASSEXA*);
using RegisterExW = ATOM(WINAPI*)(const WNDCLASSEXW*);
using RegisterA = ATOM(WINAPI*)(const WNDCLASSA*);
using RegisterW = ATOM(WINAPI*)(const WNDCLASSW*);
using SetTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
using KillTimerFn = BOOL(WINAPI*)(HWND, UINT_PTR);

RegisterExA sRegisterExA = nullptr;
RegisterExW sRegisterExW = nullptr;
RegisterA sRegisterA = nullptr;
RegisterW sRegisterW = nullptr;
SetTimerFn sSetTimer = nullptr;
KillTimerFn sKillTimer = nullptr;

// Classes are registered from any thread (a progress window has its own).
std::mutex sMutex;
std::map<std::string, NotedClass> sClasses;
std::map<std::pair<HWND, UINT_PTR>, TIMERPROC> sTimers;

std::string narrow(const wchar_t* w) {
  std::string s;
  for (; *w; ++w) s += static_cast<char>(*w < 128 ? *w : '?');
  return s;
}

// A name given as an atom has no text to look it up by later.
bool isNamed(const void* name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) != 0; }

// A class registered without an instance belongs to the program's module.
HINSTANCE ownerOf(HINSTANCE instance) { return instance ? instance : GetModuleHandleW(nullptr); }

void noteClass(const char* name, HINSTANCE instance) {
  if (!isNamed(name)) return;
  std::lock_guard<std::mutex> lock(sMutex);
  sClasses[name] = {ownerOf(instance), false};
}

void noteClass(const wchar_t* name, HINSTANCE instance) {
  if (!isNamed(name)) return;
  std::lock_guard<std::mutex> lock(sMutex);
  sClasses[narrow(name)] = {ownerOf(instance), true};
}

// Stands in for the system's registration whose address `real` holds, and notes the class.
template <typename Class, ATOM(WINAPI** real)(const Class*)>
ATOM WINAPI noteRegister(const Class* wc) {
  const ATOM atom = (*real)(wc);
  if (atom) noteClass(wc->lpszClassName, wc->hInstance);
  return atom;
}

UINT_PTR WINAPI noteSetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC proc) {
  const UINT_PTR result = sSetTimer(window, id, ms, proc);
  if (result && proc) {
    std::lock_guard<std::mutex> lock(sMutex);
    sTimers[{window, window ? id : result}] = proc;
  }
  return result;
}

BOOL WINAPI noteKillTimer(HWND window, UINT_PTR id) {
  const BOOL result = sKillTimer(window, id);
  std::lock_guard<std::mutex> lock(sMutex);
  sTimers.erase({window, id});
  return result;
}

template <typename Fn>
Fn systemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = GetModuleHandleW(dll);
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

template <typename Fn>
void redirect(HMODULE module, Fn real, Fn stand_in) {
  patchImports(module, reinterpret_cast<const void*>(real),
               reinterpret_cast<const void*>(stand_in));
}

}  // namespace

void Leftovers::watch(HMODULE module) {
  if (!sRegisterExA) {
    sRegisterExA = systemFunction<RegisterExA>(L"user32.dll", "RegisterClassExA");
    sRegisterExW = systemFunction<RegisterExW>(L"user32.dll", "RegisterClassExW");
    sSetTimer = systemFunction<SetTimerFn>(L"user32.dll", "SetTimer");
    sKillTimer = systemFunction<KillTimerFn>(L"user32.dll", "KillTimer");
    sRegisterA = systemFunction<RegisterA>(L"user32.dll", "RegisterClassA");
    sRegisterW = systemFunction<RegisterW>(L"user32.dll", "RegisterClassW");
  }
  if (!sRegisterExA || !sRegisterExW || !sRegisterA || !sRegisterW || !sSetTimer || !sKillTimer)
    return;
  redirect(module, sRegisterExA, &noteRegister<WNDCLASSEXA, &sRegisterExA>);
  redirect(module, sRegisterExW, &noteRegister<WNDCLASSEXW, &sRegisterExW>);
  redirect(module, sRegisterA, &noteRegister<WNDCLASSA, &sRegisterA>);
  redirect(module, sRegisterW, &noteRegister<WNDCLASSW, &sRegisterW>);
  redirect(module, sSetTimer, &noteSetTimer);
  redirect(module, sKillTimer, &noteKillTimer);
}

std::vector<std::string> Leftovers::classesIn(const std::function<bool(const void*)>& inModule) {
  std::lock_guard<std::mutex> lock(sMutex);
  std::vector<std::string> left;
  for (auto it = sClasses.begin(); it != sClasses.end();) {
    // Asked in the class's own character set, the procedure's address comes back, not a stub.
    const void* proc = nullptr;
    bool isRegistered = false;
    if (it->second.mIsWide) {
      WNDCLASSEXW wc = {};
      wc.cbSize = sizeof wc;
      const std::wstring name(it->first.begin(), it->first.end());
      isRegistered = GetClassInfoExW(it->second.mInstance, name.c_str(), &wc) != 0;
      proc = reinterpret_cast<const void*>(wc.lpfnWndProc);
    } else {
      WNDCLASSEXA wc = {};
      wc.cbSize = sizeof wc;
      isRegistered = GetClassInfoExA(it->second.mInstance, it->first.c_str(), &wc) != 0;
      proc = reinterpret_cast<const void*>(wc.lpfnWndProc);
    }
    if (isRegistered && inModule(proc)) left.push_back(it->first);
    it = isRegistered ? std::next(it) : sClasses.erase(it);
  }
  return left;
}

int Leftovers::killTimersIn(const std::function<bool(const void*)>& inModule) {
  std::lock_guard<std::mutex> lock(sMutex);
  int n = 0;
  for (auto it = sTimers.begin(); it != sTimers.end();) {
    const HWND window = it->first.first;
    if ((window && !IsWindow(window)) || !inModule(reinterpret_cast<const void*>(it->second))) {
      ++it;
      continue;
    }
    sKillTimer(window, it->first.second);
    it = sTimers.erase(it);
    ++n;
  }
  return n;
}
