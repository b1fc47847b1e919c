// A thread created detached. Detaching it afterwards races its start inside the threads library:
// when the two meet, the library gives an internal lock an event that nothing ever closes, and the
// host keeps one more handle after every stop and start of the plug-in.
#pragma once

#include <pthread.h>

// Zero on success, else the error pthread_create gave.
int startDetachedThread(pthread_t* thread, void* (*run)(void*), void* argument);
