// Saves what a window shows on the screen as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

bool saveWindowScreenshot(HWND window, const std::string& path);
