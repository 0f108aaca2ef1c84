// Thread priority for background work: a thread that prepares something ahead of
// time yields the processor to the thread that draws and answers input.
#pragma once

// Lowers the calling thread's priority below normal. Best effort: nothing happens
// where the system refuses.
void LowerThisThreadPriority();
