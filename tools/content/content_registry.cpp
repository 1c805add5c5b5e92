#include "tools/content/content_registry.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace content {
namespace {

std::map<std::string, FamilyWriter>& Families() {
    static std::map<std::string, FamilyWriter> families;
    return families;
}

}  // namespace

bool RegisterFamily(const char* name, FamilyWriter writer) {
    Families()[name] = writer;
    return true;
}

bool WriteAllFamilies(const std::filesystem::path& models) {
    bool ok = true;
    for (const auto& [name, writer] : Families()) {
        if (!writer(models)) {
            std::fprintf(stderr, "content family %s failed\n", name.c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace content
