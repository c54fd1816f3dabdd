/* Stands in for a browser in tests: appends its command line, and a line
   end, to the file named by the environment variable POSTLING_URL_RECORD. */
#include <windows.h>

int main(void) {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("POSTLING_URL_RECORD", path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return 2;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, line, lstrlenA(line), &written, NULL);
    WriteFile(file, "\n", 1, &written, NULL);
    CloseHandle(file);
    return 0;
}
