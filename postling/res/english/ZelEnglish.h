/* Resources of the English language module of its own. */
#pragma once

#define IDI_ZELENG 1  /* the language list's picture */
