// Where the Res* helpers get their strings: the resource chain on Windows,
// the compiled string table natively. Exactly one definition is linked.
#pragma once

#include <string>

// Loads string resource `id` as code page 1251 bytes; false when there is none.
bool LoadResourceString(unsigned id, std::string& out);
