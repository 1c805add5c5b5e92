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

// Reading back the graph, for tests of what was built. A wrong handle gives null, 0 or false.
// Child index of a group, selector, geometry group or transform (index 0); null for an empty
// slot.
RTobject rtTestChild(RTobject node, unsigned int index);
unsigned int rtTestChildCount(RTobject node);
// The variable of that name declared on the object itself (context, program, geometry,
// geometry instance, material or selector); null when it is not declared there.
RTvariable rtTestVariable(RTobject object, const char* name);
// A variable's value: true when it holds that kind of value (int or unsigned: ints; float,
// float3 or float4: floats; an object: the object).
bool rtTestVariableInts(RTvariable v, int values[4]);
bool rtTestVariableFloats(RTvariable v, float values[4]);
RTobject rtTestVariableObject(RTvariable v);
// A buffer's format and size (height 1 for one dimension); false for a wrong handle.
bool rtTestBufferShape(RTbuffer buffer, RTformat* format, RTsize* width, RTsize* height);
unsigned int rtTestPrimitiveCount(RTgeometry geometry);
