// Job objects that end every process in them when their last handle closes,
// so that a program's helper processes never outlive it, however it ends.
#pragma once
#include "framework/win_handle.h"

// A new job that kills its processes when its last handle closes; empty on
// failure. With `breakawayAllowed`, a process started with
// CREATE_BREAKAWAY_FROM_JOB from inside stays out of it.
KernelHandle CreateKillOnCloseJob(bool breakawayAllowed = false);

// Puts the calling process into a new kill-on-close job that allows
// breaking away, so that every process it starts from then on is in the job
// from its first instruction and dies with it. Keep the handle for the life
// of the process. Empty when the process already runs in a job (whoever
// made that job governs its processes; jobs inside jobs are not available on
// every system) or when the system refused.
KernelHandle JoinKillOnCloseJob();
