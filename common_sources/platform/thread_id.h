// The operating system's id of the calling thread, as shown in log entries and lock messages.
#pragma once

unsigned long currentThreadId();
