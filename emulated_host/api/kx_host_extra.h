// Functions of the emulated host that the real host does not have: the host program's entry, the
// journal summary, and a note a test plug-in can write into the journal.
#ifndef KX_EMULATED_HOST_KX_HOST_EXTRA_H
#define KX_EMULATED_HOST_KX_HOST_EXTRA_H

#include <wchar.h>

#include "pro_toolkit.h"

#ifdef __cplusplus
extern "C" {
#endif

PRO_TK_API int kxh_Run(int argc, wchar_t** argv);
PRO_TK_API int kxh_Summary(const char* journalPath);
PRO_TK_API int kxh_OtherApp(void);
PRO_TK_API void kxh_JournalNote(const char* text);

#ifdef __cplusplus
}
#endif

#endif
