#pragma once
// The seven built-in programs the program files name, registered with the runtime.

namespace raytrace {

// Registers them (again is harmless); before the first program is created.
void RegisterRtPrograms();

}  // namespace raytrace
