#include "journal/process_counts.h"

#include <windows.h>
// After windows.h, whose types they use.
#include <tlhelp32.h>
#include <winternl.h>

namespace {

// Handle values are multiples of 4 and handed out lowest first; a host with this many open
// handles is far beyond anything a leak test waits for.
constexpr ULONG_PTR kProbedHandleLimit = 16384;
constexpr OBJECT_INFORMATION_CLASS kObjectTypeInformation =
    static_cast<OBJECT_INFORMATION_CLASS>(2);

std::string typeName(HANDLE handle) {
  // The answer starts with the type's name as a counted string, followed by its characters.
  alignas(8) unsigned char buffer[1024];
  ULONG length = 0;
  if (NtQueryObject(handle, kObjectTypeInformation, buffer, sizeof buffer, &length) != 0)
    return "unknown";
  const UNICODE_STRING* name = reinterpret_cast<const UNICODE_STRING*>(buffer);
  if (!name->Buffer || name->Length == 0) return "unnamed";
  int bytes =
      WideCharToMultiByte(CP_UTF8, 0, name->Buffer, name->Length / 2, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, name->Buffer, name->Length / 2, &out[0], bytes, nullptr, nullptr);
  return out;
}

int probeHandles(std::map<std::string, int>* types) {
  int open = 0;
  for (ULONG_PTR value = 4; value <= 4 * kProbedHandleLimit; value += 4) {
    HANDLE handle = reinterpret_cast<HANDLE>(value);
    DWORD flags = 0;
    if (!GetHandleInformation(handle, &flags)) continue;
    ++open;
    ++(*types)[typeName(handle)];
  }
  return open;
}

}  // namespace

bool currentProcessCounts(ProcessCounts* counts, std::string* error) {
  const DWORD self = GetCurrentProcessId();
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    *error = "cannot take a thread snapshot, Windows error " + std::to_string(GetLastError());
    return false;
  }
  int threads = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == self) ++threads;
  CloseHandle(snapshot);
  counts->threads = threads;
  counts->handleTypes.clear();
  const int probed = probeHandles(&counts->handleTypes);
  // Wine 8 answers GetProcessHandleCount with success and 0; a running process always holds
  // handles, so 0 means the count is not kept and the probed one stands.
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles) && handles > 0) {
    counts->handles = static_cast<int>(handles);
    counts->handleSource = "system";
  } else {
    counts->handles = probed;
    counts->handleSource = "probed";
  }
  return true;
}

std::string handleTypesText(const std::map<std::string, int>& types) {
  std::string text;
  for (const auto& kv : types)
    text += (text.empty() ? "" : ",") + kv.first + "=" + std::to_string(kv.second);
  return text;
}
