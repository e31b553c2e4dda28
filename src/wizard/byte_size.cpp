// Byte-size texts: thirteen bands compared and divided in 64 bits.
#include "wizard/byte_size.h"

#include <windows.h>

#include "setup/support.h"

namespace {

struct SizeBand {
    long long below;      // first size of the next band
    long long unit;
    int fractionScale;    // 100, 10, or 0 for no decimals
    const char* format;
};

const long long KB = 1024;
const long long MB = KB * 1024;
const long long GB = MB * 1024;
const long long TB = GB * 1024;

const SizeBand bands[] = {
    {10 * KB, KB, 100, "%1i.%02i KB"},
    {100 * KB, KB, 10, "%2i.%01i KB"},
    {MB, KB, 0, "%3i KB"},
    {10 * MB, MB, 100, "%1i.%02i MB"},
    {100 * MB, MB, 10, "%2i.%01i MB"},
    {GB, MB, 0, "%3i MB"},
    {10 * GB, GB, 100, "%1i.%02i GB"},
    {100 * GB, GB, 10, "%2i.%01i GB"},
    {TB, GB, 0, "%3i GB"},
    {10 * TB, TB, 100, "%1i.%02i TB"},
    {100 * TB, TB, 10, "%2i.%01i TB"},
    {0x7FFFFFFFFFFFFFFFLL, TB, 0, "%i TB"},
};

}  // namespace

char* formatByteSize(char* out, size_t outSize, long long size)
{
    char text[MAX_PATH];
    if (size < KB) {
        formatText(text, sizeof text, "%i bytes", (int)size);
    } else {
        const SizeBand* band = bands;
        while (band + 1 < bands + sizeof bands / sizeof bands[0] && size >= band->below)
            band++;
        int whole = (int)(size / band->unit);
        if (band->fractionScale) {
            int fraction = (int)(size % band->unit * band->fractionScale / band->unit);
            formatText(text, sizeof text, band->format, whole, fraction);
        } else {
            formatText(text, sizeof text, band->format, whole);
        }
    }
    return copyText(out, outSize, text) ? out : NULL;
}
