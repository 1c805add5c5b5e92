#pragma once
// Validation and the launch over the worker pool, with the built-in ray-generation and miss
// programs.

#include <string>

#include "platform/rt/rt_objects.h"

namespace rt {

RTresult ValidateContext(const Context& context, std::string& detail);
RTresult LaunchContext(Context& context, unsigned entry, std::size_t width, std::size_t height,
                       std::string& detail);

}  // namespace rt
