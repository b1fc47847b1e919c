// Sleeping without the threads library: its sleep registers a thread it did not create (such as
// the host's user-interface thread) for good, and the handles of that registration are lost when
// the plug-in is unloaded while the thread lives on.
#pragma once

void sleepMs(int milliseconds);
