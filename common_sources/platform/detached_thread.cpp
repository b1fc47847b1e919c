#include "detached_thread.h"

int startDetachedThread(pthread_t* thread, void* (*run)(void*), void* argument) {
  pthread_attr_t attributes;
  int result = pthread_attr_init(&attributes);
  if (result != 0) return result;
  result = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (result == 0) result = pthread_create(thread, &attributes, run, argument);
  pthread_attr_destroy(&attributes);
  return result;
}
