// LoadResourceString over the framework's resource chain.
#include "LumStringSource.h"
#include "framework/ResourceChain.h"

bool LoadResourceString(unsigned id, std::string& out) { return AfxLoadString(id, out); }
