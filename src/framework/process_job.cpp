// Kill-on-close job objects.
#include "framework/process_job.h"

KernelHandle CreateKillOnCloseJob(bool breakawayAllowed)
{
    KernelHandle job(CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | (breakawayAllowed ? JOB_OBJECT_LIMIT_BREAKAWAY_OK : 0);
    if (job && !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.Reset();
    return job;
}

KernelHandle JoinKillOnCloseJob()
{
    BOOL inJob = FALSE;
    if (!IsProcessInJob(GetCurrentProcess(), nullptr, &inJob) || inJob) return KernelHandle();
    KernelHandle job = CreateKillOnCloseJob(true);
    if (job && !AssignProcessToJobObject(job.Get(), GetCurrentProcess())) job.Reset();
    return job;
}
