// Export/import of the framework DLL's classes and functions.
#pragma once

#ifdef FRAMEWORK_BUILD
#define FW_API __declspec(dllexport)
#else
#define FW_API __declspec(dllimport)
#endif
