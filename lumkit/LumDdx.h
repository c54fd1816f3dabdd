// Data exchange helpers of the LUMKIT library.
#pragma once

#include <windows.h>

#include "framework/DataExchange.h"

// One check box bound to the bits of `mask` in `flags`: it loads checked
// when any of them is set; saving sets them all when it is checked and
// clears them otherwise. The other bits are left alone.
void DDX_CheckFlag(CDataExchange* dx, int id, UINT& flags, UINT mask);  // 4
