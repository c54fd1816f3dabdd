// The profile store seam: the program's per-user settings, as named sections
// (paths below the program's key, separated by backslashes) holding string
// and 32-bit integer values. The registry on Windows; memory in tests.
// Section and value names compare without regard to letter case.
#pragma once

#include <cstdint>
#include <string>

#include "framework/ProfileStoreBase.h"

// It is the store of the framework's profile functions, plus subtree removal.
class ProfileStore : public CProfileStore {
public:
    ~ProfileStore() override;

    // Removes a section with all its subsections; false when it is missing
    // or cannot be removed.
    virtual bool DeleteTree(const std::string& section) = 0;
};

// The store the program's records load from and save to. Set once at
// start-up (or by a test) before anything is loaded.
ProfileStore& Profile();
void SetProfileStore(ProfileStore* store);
