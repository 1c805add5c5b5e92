// The ray tracer's five program files, written beside Models/ in the run folder. They are
// valid PTX that only name the entries: the programs themselves are built into the program.

#include <fstream>

#include "tools/content/content_registry.h"

namespace content {
namespace {

struct ProgramFile {
    const char* name;
    const char* entries[2];  // null when the file has one entry
};

constexpr ProgramFile kProgramFiles[] = {
    {"VMCamera.ptx", {"camera", nullptr}},
    {"VMSky.ptx", {"miss", nullptr}},
    {"VMMesh.ptx", {"meshBounds", "meshIntersect"}},
    {"VMLighting.ptx", {"ClosestHitRadiance", "AnyHitShadow"}},
    {"VMSelector.ptx", {"visit", nullptr}},
};

bool WriteProgramFile(const std::filesystem::path& path, const ProgramFile& file) {
    std::ofstream out(path, std::ios::binary);
    out << "// Velmoranth ray-tracer programs: the programs are built into the program;\n"
           "// this file only names their entry points.\n"
           ".version 7.0\n.target sm_75\n.address_size 64\n";
    for (const char* entry : file.entries) {
        if (entry) out << "\n.visible .entry " << entry << "()\n{\n\tret;\n}\n";
    }
    return static_cast<bool>(out);
}

bool WriteRayPrograms(const std::filesystem::path& models) {
    bool ok = true;
    for (const ProgramFile& file : kProgramFiles) {
        ok = WriteProgramFile(models.parent_path() / file.name, file) && ok;
    }
    return ok;
}

const bool kRegistered = RegisterFamily("ray programs", WriteRayPrograms);

}  // namespace
}  // namespace content
