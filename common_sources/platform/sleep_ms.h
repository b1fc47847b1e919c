// The system's own sleep: the threads library's sleep would register a thread it did not create
// (such as the host's user-interface thread) with it, for nothing.
#pragma once

void sleepMs(int milliseconds);
