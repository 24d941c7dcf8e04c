#include "platform/qt/ProcessHardening.h"

#include <gtest/gtest.h>

#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Hardened in a child, so the test process keeps its core dumps and debuggers.
TEST(ProcessHardening, NoCoreFileAndNotDumpable)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit core{};
        const bool hardened = hardenProcess();
        const bool noCore = getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur == 0 && core.rlim_max == 0;
        const bool notDumpable = prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0;
        _exit((hardened ? 0 : 1) | (noCore ? 0 : 2) | (notDumpable ? 0 : 4));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a step failed, 2: core limit not 0, 4: still dumpable";
}
#endif
