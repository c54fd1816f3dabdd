#include "ProfileStore.h"

#include <atomic>
#include <cstdlib>

namespace {
std::atomic<ProfileStore*> g_store{nullptr};
}

ProfileStore::~ProfileStore() = default;

ProfileStore& Profile() {
    ProfileStore* store = g_store.load();
    if (!store) std::abort();  // a start-up or test fault: nothing may load before the store is set
    return *store;
}

void SetProfileStore(ProfileStore* store) { g_store.store(store); }
