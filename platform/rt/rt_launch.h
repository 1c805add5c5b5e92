#pragma once
// Validation and the launch over the worker pool.

#include <string>

#include "platform/rt/rt_objects.h"

namespace rt {

RTresult ValidateContext(Context& context, std::string& detail);
RTresult LaunchContext(Context& context, unsigned entry, std::size_t width, std::size_t height,
                       std::string& detail);

}  // namespace rt
