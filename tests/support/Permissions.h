#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

// Tests of what a missing permission does sit in suites named "...Permissions". Permissions do not bind the
// superuser, so as root they skip here; the PermissionTestsAsUser test then runs exactly these suites again as
// an unprivileged user (tests/support/run_unprivileged.sh), so that they run wherever the suite runs.
#define SKIP_WHERE_PERMISSIONS_DO_NOT_BIND()                                                                           \
    if (::geteuid() == 0)                                                                                              \
    GTEST_SKIP() << "permissions do not bind the superuser; PermissionTestsAsUser runs this as another user"
