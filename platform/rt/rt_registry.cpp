#include <atomic>
#include <unordered_map>

#include "platform/rt/rt_objects.h"

namespace rt {
namespace {

struct Entry {
    std::weak_ptr<Object> object;
    std::shared_ptr<Object> userReference;  // empty for variables: their scope owns them
};

std::unordered_map<std::uint64_t, Entry>& Entries() {
    static std::unordered_map<std::uint64_t, Entry> entries;
    return entries;
}

std::uint64_t g_nextId = 1;  // ids are never reused, so a stale handle stays stale
std::atomic<long> g_live{0};

}  // namespace

Object::Object(Kind k, std::uint64_t owner) : kind(k), context(owner) { ++g_live; }
Object::~Object() { --g_live; }

Variable* Scope::Find(const std::string& name) const {
    for (const auto& v : variables) {
        if (v->name == name) return v.get();
    }
    return nullptr;
}

void Scope::Release() {
    for (const auto& v : variables) v->ReleaseReferences();
    variables.clear();
}

void Context::ReleaseReferences() {
    scope.Release();
    rayGeneration.clear();
    miss.clear();
}

std::uint64_t NewId() { return g_nextId++; }

std::uint64_t Register(const std::shared_ptr<Object>& object, bool userReference) {
    object->id = object->kind == Kind::Context ? object->context : NewId();
    Entries()[object->id] = Entry{object, userReference ? object : nullptr};
    return object->id;
}

std::shared_ptr<Object> Find(std::uint64_t id, Kind kind) {
    auto& entries = Entries();
    const auto it = entries.find(id);
    if (it == entries.end()) return nullptr;
    std::shared_ptr<Object> object = it->second.object.lock();
    if (!object) {
        entries.erase(it);
        return nullptr;
    }
    return object->kind == kind ? object : nullptr;
}

bool Unregister(std::uint64_t id, Kind kind) {
    if (!Find(id, kind)) return false;
    Entries().erase(id);
    return true;
}

std::vector<std::shared_ptr<Object>> ContextObjects(std::uint64_t context, Kind kind) {
    std::vector<std::shared_ptr<Object>> found;
    for (const auto& [id, entry] : Entries()) {
        std::shared_ptr<Object> object = entry.object.lock();
        if (object && object->context == context && object->kind == kind) found.push_back(object);
    }
    return found;
}

void DestroyContextObjects(std::uint64_t context) {
    std::vector<std::shared_ptr<Object>> doomed;
    auto& entries = Entries();
    for (auto it = entries.begin(); it != entries.end();) {
        std::shared_ptr<Object> object = it->second.object.lock();
        if (!object || object->context == context) {
            if (object) doomed.push_back(std::move(object));
            it = entries.erase(it);
        } else {
            ++it;
        }
    }
    // References between objects go first, so nothing keeps another alive.
    for (const auto& object : doomed) object->ReleaseReferences();
}

long LiveObjects() { return g_live.load(); }

}  // namespace rt
