// Registering the host's own window classes.
#ifndef KX_EMULATED_HOST_WINDOW_CLASS_H
#define KX_EMULATED_HOST_WINDOW_CLASS_H

#include <windows.h>

// Registers a class of this module with an arrow cursor; a class the process registered before is
// fine.
bool registerWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH brush);

#endif
