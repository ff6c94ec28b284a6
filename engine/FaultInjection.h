#pragma once

namespace engine {

// Test seam: every write step of a commit (write and flush a file, link, rename, flush the
// directory) passes Step(). Armed with n, the n-th step from then on (0-based) fails with an
// I/O error, as a crash or a full disk would stop the commit there.
class FaultInjection {
public:
    static void Arm(int failAtStep);
    static void Disarm();
    // Steps since the last Arm or Disarm (counted even when disarmed).
    static int Steps();
    static void Step(const char* what);
};

} // namespace engine
