#include "engine/FaultInjection.h"

#include "engine/EngineError.h"

#include <string>

namespace engine {

static int g_failAt = -1;
static int g_steps = 0;

void FaultInjection::Arm(int failAtStep) {
    g_failAt = failAtStep;
    g_steps = 0;
}

void FaultInjection::Disarm() {
    g_failAt = -1;
    g_steps = 0;
}

int FaultInjection::Steps() {
    return g_steps;
}

void FaultInjection::Step(const char* what) {
    if (g_steps++ == g_failAt)
        throw EngineError(Errc::Io, std::string("injected failure at ") + what);
}

} // namespace engine
