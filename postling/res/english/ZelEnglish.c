/* The English language module: the two exports that describe it. Its
   resources are the program's, translated (ZELENG.rc). */
#include <windows.h>
#include <string.h>

#include "postling/res/english/ZelEnglish.h"

#define RECORD_SIZE 402

static HINSTANCE g_module;

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

__declspec(dllexport) int __cdecl ZELLANG_GetVersion(void) { return 0x100; }

/* Fills the 402-byte record by offset: language id at 8, code page at 10,
   icon at 14 (32 bits of the handle), then the locale, name and help file
   names of 128 bytes each at 18, 146 and 274. */
__declspec(dllexport) int __cdecl ZELLANG_GetLanguage(void* info) {
    static const char locale[] = "English_United States.1252";
    static const char name[] = "English";
    static const char help[] = "PostlingEN.chm";
    unsigned char* record = (unsigned char*)info;
    unsigned int size;
    unsigned short langId = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    int codePage = 1252;
    unsigned int icon;
    if (!record) return 0;
    memcpy(&size, record, 4);
    if (size != RECORD_SIZE) return 0;
    icon = (unsigned int)(ULONG_PTR)LoadImageA(g_module, MAKEINTRESOURCEA(IDI_ZELENG), IMAGE_ICON, 16, 16,
                                                LR_SHARED);
    memcpy(record + 8, &langId, 2);
    memcpy(record + 10, &codePage, 4);
    memcpy(record + 14, &icon, 4);
    memset(record + 18, 0, 3 * 128);
    memcpy(record + 18, locale, sizeof locale);
    memcpy(record + 146, name, sizeof name);
    memcpy(record + 274, help, sizeof help);
    return 1;
}
