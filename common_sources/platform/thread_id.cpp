#include "thread_id.h"

#ifdef _WIN32
#include <windows.h>

unsigned long currentThreadId() { return GetCurrentThreadId(); }
#else
#include <sys/syscall.h>
#include <unistd.h>

unsigned long currentThreadId() { return static_cast<unsigned long>(syscall(SYS_gettid)); }
#endif
