// The banner bitmap at the left of the wizard.
#pragma once

#include <windows.h>

// Loads the bitmap file at path into a DIB section kept in
// session.bannerBitmap and shows it in picture. Accepts only what the
// reader can show: an uncompressed 16, 24 or 32-bit bitmap without colour
// table whose pixel rows follow its 40-byte header, bottom-up, all present.
// Anything else, and a file that cannot be read, shows "Can't load" and
// returns 0. A DIB section that cannot be created leaves the picture empty
// and still returns 1.
int loadBannerBitmap(const char* path, HWND picture);
