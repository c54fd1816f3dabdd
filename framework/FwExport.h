// Export/import of the framework DLL's classes and functions. The portable
// parts (the root object) are also built natively, where this is empty.
#pragma once

#if !defined(_WIN32)
#define FW_API
#elif defined(FRAMEWORK_BUILD)
#define FW_API __declspec(dllexport)
#else
#define FW_API __declspec(dllimport)
#endif
