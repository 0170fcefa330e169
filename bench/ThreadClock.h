#pragma once
// CPU time of the calling thread: the machine is shared, so wall time alone
// says more about the neighbours than about the code measured.
#include <QtGlobal>
#include <ctime>

inline qint64 threadCpuNanos() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
