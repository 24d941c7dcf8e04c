#include "platform/qt/ProcessHardening.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#endif
#if defined(__linux__)
#include <sys/prctl.h>
#endif
#if defined(__APPLE__)
#include <sys/ptrace.h>
#include <sys/types.h>
#endif

bool hardenProcess()
{
    bool ok = true;
#if defined(__unix__) || defined(__APPLE__)
    // A core file would hold every decrypted account.
    const rlimit none{0, 0};
    ok = setrlimit(RLIMIT_CORE, &none) == 0 && ok;
#endif
#if defined(__linux__)
    // Not dumpable: no core dump, and ptrace and /proc/<pid>/mem are closed to other processes of the same user.
    ok = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && ok;
#elif defined(__APPLE__)
    ok = ptrace(PT_DENY_ATTACH, 0, nullptr, 0) == 0 && ok;
#endif
    return ok;
}
