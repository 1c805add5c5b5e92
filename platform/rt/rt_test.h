#pragma once
// Test seams of the ray tracer's runtime. Whole-program runs use the environment instead:
// VM_RT_DEVICE=none makes every context creation fail with RT_ERROR_NO_DEVICE, and
// VM_RT_FAULTS="rtContextLaunch2D#3=RT_ERROR_LAUNCH_FAILED,..." installs faults at the first
// call. VM_RT_THREADS sets a new context's thread count (default: the hardware's).

#include "platform/rt/rt_api.h"

// The nth call (from 1, counted from now) of the named rt function fails with code, with the
// detail "injected fault".
void rtTestSetFault(const char* function, unsigned int nthCall, RTresult code);
void rtTestClearFaults();
// Objects of every context still alive, contexts included.
long rtTestLiveObjectCount();
// Name of a result code ("RT_ERROR_NO_DEVICE"), or null for an unknown code.
const char* rtTestResultName(RTresult code);
