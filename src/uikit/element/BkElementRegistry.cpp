// The process-wide table from element handle to element. One lock guards the table and the counter.
#include <mutex>
#include <unordered_map>

#include "uikit/element/BkElementHandle.h"

namespace {

struct Registry {
    std::mutex lock;
    BkElementHandle counter = 0;
    std::unordered_map<BkElementHandle, CBkWindow*> elements;
};

Registry& TheRegistry() {
    // Never destroyed: elements of static objects may unregister during exit.
    static Registry* registry = new Registry;
    return *registry;
}

}  // namespace

namespace BkElementRegistry {

BkElementHandle Register(CBkWindow* element) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    ++r.counter;
    if (r.counter == 0) ++r.counter;  // 0 means "no element"
    r.elements[r.counter] = element;
    return r.counter;
}

void Unregister(BkElementHandle handle) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.elements.erase(handle);
}

CBkWindow* Find(BkElementHandle handle) {
    if (handle == 0) return nullptr;
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.elements.find(handle);
    return it == r.elements.end() ? nullptr : it->second;
}

size_t Count() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.elements.size();
}

}  // namespace BkElementRegistry
