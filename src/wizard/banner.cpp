// Banner bitmaps: the file's header is checked against the file's length
// before a single pixel is copied, so a damaged or foreign file can never
// make the reader run past the loaded block.
#include "wizard/banner.h"

#include <string.h>

#include "setup/messages.h"
#include "setup/session.h"
#include "setup/support.h"

enum {
    FileHeaderSize = 14,
    InfoHeaderSize = 40,
    PixelOffset = FileHeaderSize + InfoHeaderSize,
    MaxBannerSide = 8192
};

// Bytes of pixel data the header asks for, or 0 when the file cannot be
// shown as it stands.
static unsigned long long bannerPixelBytes(const BITMAPINFOHEADER* header, DWORD fileSize)
{
    if (header->biSize != InfoHeaderSize || header->biPlanes != 1 ||
        header->biCompression != BI_RGB || header->biClrUsed != 0)
        return 0;
    if (header->biBitCount != 16 && header->biBitCount != 24 && header->biBitCount != 32)
        return 0;
    if (header->biWidth <= 0 || header->biHeight <= 0 || header->biWidth > MaxBannerSide ||
        header->biHeight > MaxBannerSide)
        return 0;
    unsigned long long stride =
        ((unsigned long long)(header->biBitCount + 7) / 8 * (unsigned long long)header->biWidth + 3) &
        ~3ull;
    unsigned long long bytes = stride * (unsigned long long)header->biHeight;
    if (bytes > fileSize - PixelOffset)
        return 0;
    return bytes;
}

int loadBannerBitmap(const char* path, HWND picture)
{
    char message[MessageSize];
    DWORD fileSize = 0;
    unsigned long long pixelBytes = 0;
    BITMAPINFOHEADER header;
    unsigned char* file = (unsigned char*)loadWholeFile(path, &fileSize);
    if (file && fileSize >= PixelOffset) {
        // The header in the file need not be aligned for direct access.
        memcpy(&header, file + FileHeaderSize, sizeof header);
        pixelBytes = bannerPixelBytes(&header, fileSize);
    }
    if (!pixelBytes) {
        if (file)
            GlobalFree(file);
        formatText(message, sizeof message, MsgCannotLoadBanner, path);
        showSetupError(message);
        return 0;
    }

    void* pixels = NULL;
    HDC screen = GetDC(NULL);
    session.bannerBitmap = CreateDIBSection(screen, (const BITMAPINFO*)&header, DIB_RGB_COLORS,
                                            &pixels, NULL, 0);
    ReleaseDC(NULL, screen);
    if (session.bannerBitmap && pixels) {
        memcpy(pixels, file + PixelOffset, (size_t)pixelBytes);
        HGDIOBJ previous = (HGDIOBJ)SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP,
                                                 (LPARAM)session.bannerBitmap);
        if (previous && previous != session.bannerBitmap)
            DeleteObject(previous);
    }
    GlobalFree(file);
    return 1;
}
