// The built-in programs, registered by name by the code that supplies them.

#include <vector>

#include "platform/rt/rt_objects.h"

namespace rt {
namespace {

std::vector<rtd::ProgramDefinition>& Definitions() {
    static std::vector<rtd::ProgramDefinition> definitions;
    return definitions;
}

}  // namespace

const rtd::ProgramDefinition* FindProgramDefinition(const std::string& name) {
    for (const rtd::ProgramDefinition& d : Definitions()) {
        if (name == d.name) return &d;
    }
    return nullptr;
}

}  // namespace rt

void rtd::RegisterProgram(const ProgramDefinition& definition) {
    if (!definition.name || !definition.function) return;
    for (ProgramDefinition& d : rt::Definitions()) {
        if (std::string(d.name) == definition.name) {
            d = definition;
            return;
        }
    }
    rt::Definitions().push_back(definition);
}
