// Registry helper of the LUMKIT library (Windows).
#pragma once

#include <string>

// Deletes HKEY_CURRENT_USER\<subkey> with all its subkeys; false on any failure.
bool DeleteRegTree(const std::string& subkey);  // 20
