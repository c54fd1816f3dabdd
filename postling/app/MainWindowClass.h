#pragma once

// Window class of the program's hidden main window.
constexpr const char kMainWindowClass[] = "PostlingMainFrame";
