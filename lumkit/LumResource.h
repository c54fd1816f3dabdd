// Identifiers of LUMKIT's own resources (lumkit/res).
#pragma once

#define IDB_LUM_SORT_ASCENDING 130
#define IDB_LUM_SORT_DESCENDING 131

#define IDS_LUM_WHAT_IS_THIS 30500  // the context help menu's item
