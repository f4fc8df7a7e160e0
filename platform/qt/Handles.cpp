#include <array>
#include <map>

#include "platform/qt/GdiInternal.h"

namespace quillfin::platform {
namespace {

// Handles start above 0xFFFF so that none of them looks like a resource number.
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 4;

struct Table {
    std::map<std::uintptr_t, std::unique_ptr<Object>> objects;
    std::uintptr_t next = kFirstHandle;
    // The last handles looked up: pixel loops ask for the same two or three
    // handles millions of times.
    std::array<std::pair<std::uintptr_t, Object*>, 4> recent{};
    std::size_t nextRecent = 0;
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
    Table& table = TheTable();
    std::uintptr_t id = reinterpret_cast<std::uintptr_t>(handle);
    for (const auto& [recentId, object] : table.recent) {
        if (recentId == id) return object->kind == kind ? object : nullptr;
    }
    auto it = table.objects.find(id);
    if (it == table.objects.end()) return nullptr;
    table.recent[table.nextRecent] = {id, it->second.get()};
    table.nextRecent = (table.nextRecent + 1) % table.recent.size();
    return it->second->kind == kind ? it->second.get() : nullptr;
}

void Unregister(const void* handle) {
    Table& table = TheTable();
    auto& objects = table.objects;
    std::uintptr_t id = reinterpret_cast<std::uintptr_t>(handle);
    for (auto& entry : table.recent) {
        if (entry.first == id) entry = {0, nullptr};
    }
    auto it = objects.find(id);
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
