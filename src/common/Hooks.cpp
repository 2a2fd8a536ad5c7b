#include "common/Hooks.h"

namespace {
IMessageHooks* g_messageHooks = nullptr;
ITrafficLog* g_trafficLog = nullptr;
} // namespace

void InstallMessageHooks(IMessageHooks* hooks) { g_messageHooks = hooks; }
IMessageHooks* MessageHooks() { return g_messageHooks; }
void InstallTrafficLog(ITrafficLog* log) { g_trafficLog = log; }
ITrafficLog* TrafficLog() { return g_trafficLog; }
