#include <map>

#include "platform/qt/Internal.h"

namespace quillfin::platform {
namespace {

// Handles start above 0xFFFF so that none of them looks like a resource number.
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 4;

struct Table {
    std::map<std::uintptr_t, std::unique_ptr<Object>> objects;
    std::uintptr_t next = kFirstHandle;
};

Table& TheTable() {
    static Table table;
    return table;
}

}  // namespace

std::uintptr_t Register(std::unique_ptr<Object> object) {
    Table& table = TheTable();
    std::uintptr_t id = table.next;
    table.next += kHandleStep;
    object->handle = id;
    table.objects.emplace(id, std::move(object));
    return id;
}

Object* Find(const void* handle, Kind kind) {
    if (handle == nullptr) return nullptr;
    auto& objects = TheTable().objects;
    auto it = objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == objects.end() || it->second->kind != kind) return nullptr;
    return it->second.get();
}

void Unregister(const void* handle) {
    auto& objects = TheTable().objects;
    auto it = objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == objects.end()) return;
    // Destructors may look objects up again, so take it out of the table first.
    std::unique_ptr<Object> doomed = std::move(it->second);
    objects.erase(it);
}

std::vector<Object*> AllOf(Kind kind) {
    std::vector<Object*> result;
    for (auto& [id, object] : TheTable().objects) {
        if (object->kind == kind) result.push_back(object.get());
    }
    return result;
}

}  // namespace quillfin::platform
