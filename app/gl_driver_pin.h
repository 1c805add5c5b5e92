#pragma once
// Keeps the OpenGL driver loaded until the process ends.

// Call with a context current, once the driver is loaded. Closing the last display
// connection would otherwise unload the driver at exit, and the allocations it keeps for the
// life of the process would then be reported as leaks by the leak checker.
void PinGlDriver();
