/* A language module for the tests. It writes the record by byte offset, as
   a module built without the program's headers would. */
#include <windows.h>
#include <string.h>

#ifndef ZEL_CODEPAGE
#define ZEL_CODEPAGE 1251
#endif
#ifndef ZEL_LOCALE
#define ZEL_LOCALE "rus_rus.1251"
#endif
#ifndef ZEL_HELP
#define ZEL_HELP "help.chm"
#endif

#define ZEL_RECORD_SIZE 402

#ifndef ZEL_NO_GETVERSION
__declspec(dllexport) int __cdecl ZELLANG_GetVersion(void) { return ZEL_VERSION; }
#endif

#ifndef ZEL_NO_GETLANGUAGE
static void Put(unsigned char* record, int offset, const void* value, size_t size) {
    memcpy(record + offset, value, size);
}

__declspec(dllexport) int __cdecl ZELLANG_GetLanguage(void* info) {
    unsigned char* record = (unsigned char*)info;
    unsigned int size;
    unsigned short langId = ZEL_LANGID;
    int codePage = ZEL_CODEPAGE;
    unsigned int icon = 0;
    memcpy(&size, record, 4);
    if (size != ZEL_RECORD_SIZE) return 0;
#ifdef ZEL_FAIL
    Put(record, 8, &langId, 2);  /* a half-written record */
    return 0;
#endif
#ifdef ZEL_ICON
    icon = (unsigned int)(ULONG_PTR)LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
#endif
    Put(record, 8, &langId, 2);
    Put(record, 10, &codePage, 4);
    Put(record, 14, &icon, 4);
#ifdef ZEL_HOSTILE
    /* No terminators anywhere, and the size field overwritten. */
    memset(record + 18, 'L', 128);
    memset(record + 146, 'N', 128);
    memset(record + 274, 'H', 128);
    size = 0xFFFFFFFFu;
    Put(record, 0, &size, 4);
#else
    Put(record, 18, ZEL_LOCALE, sizeof ZEL_LOCALE);
    Put(record, 146, ZEL_NAME, sizeof ZEL_NAME);
    Put(record, 274, ZEL_HELP, sizeof ZEL_HELP);
#endif
    return 1;
}
#endif
