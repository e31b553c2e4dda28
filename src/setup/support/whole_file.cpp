// Reading a whole file into one memory block.
#include "setup/support.h"

void* loadWholeFile(const char* fileName, DWORD* size)
{
    void* block = NULL;
    DWORD high = 0;
    DWORD length;
    DWORD read = 0;
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    length = GetFileSize(file, &high);
    if ((length == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0)
        goto out;
    // One byte more, so that an empty file still gets a block of its own.
    block = GlobalAlloc(GMEM_FIXED, length + 1);
    if (!block)
        goto out;
    if (!ReadFile(file, block, length, &read, NULL) || read != length) {
        GlobalFree(block);
        block = NULL;
        goto out;
    }
    ((char*)block)[length] = '\0';
    if (size)
        *size = length;
out:
    CloseHandle(file);
    return block;
}
