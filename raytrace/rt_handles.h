#pragma once
// Releasing runtime handles the ray tracer keeps.

namespace raytrace {

// Destroys the handle when it is set and clears it, so a handle is never destroyed twice.
template <class Handle, class Result>
void DestroyIf(Handle& handle, Result (*destroy)(Handle)) {
    if (handle) destroy(handle);
    handle = nullptr;
}

}  // namespace raytrace
