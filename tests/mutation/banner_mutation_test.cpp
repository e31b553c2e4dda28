// Banner files damaged in bulk and read by the real banner reader. Every
// case must end either with the picture shown from a DIB section whose
// pixels lie inside the file and equal its bytes, or with 0 and the
// "Can't load" box; a file that is not a bitmap of the reader's format with
// all its pixels must be refused, and a banner-sized one that is must be
// shown.
//
// Reads past the file: the reader gets its block from loadWholeFile
// (GlobalAlloc of the length + 1). Wine gives blocks of about 1 MiB and more
// a mapping of their own, so for such a file length the block can be made
// to end where an inaccessible reserved page begins; the guarded cases
// below do that and check it before each case, and a read of two bytes or
// more past the file then crashes the case.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "mutation/box_watcher.h"
#include "mutation/case_guard.h"
#include "mutation/mutator.h"
#include "setup/session.h"
#include "support/test_files.h"
#include "wizard/banner.h"

namespace {

enum { HeaderBytes = 54, MappingGranularity = 0x10000 };

// A bottom-up BI_RGB bitmap file with distinct pixel bytes.
std::string bitmapFile(int width, int height, int bits)
{
    int stride = ((bits + 7) / 8 * width + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = HeaderBytes;
    file.bfSize = (DWORD)(HeaderBytes + stride * height);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = (WORD)bits;
    info.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.reserve(HeaderBytes + (size_t)stride * height);
    for (size_t i = 0; i < (size_t)stride * height; i++)
        bytes += (char)(i * 7 + i / 251);
    return bytes;
}

struct HeaderField {
    const char* name;
    size_t offset;
    size_t size;
};

const HeaderField headerFields[] = {
    {"bfType", 0, 2},           {"bfSize", 2, 4},           {"bfReserved1", 6, 2},
    {"bfReserved2", 8, 2},      {"bfOffBits", 10, 4},       {"biSize", 14, 4},
    {"biWidth", 18, 4},         {"biHeight", 22, 4},        {"biPlanes", 26, 2},
    {"biBitCount", 28, 2},      {"biCompression", 30, 4},   {"biSizeImage", 34, 4},
    {"biXPelsPerMeter", 38, 4}, {"biYPelsPerMeter", 42, 4}, {"biClrUsed", 46, 4},
    {"biClrImportant", 50, 4},
};
const size_t headerFieldCount = sizeof headerFields / sizeof headerFields[0];
const HeaderField& widthField = headerFields[6];
const HeaderField& heightField = headerFields[7];
const HeaderField& bitCountField = headerFields[9];

const std::vector<unsigned> extremes16 = {0,  1,  2,      15,     16,     17,    24,
                                          32, 40, 0x4D42, 0x7FFF, 0x8000, 0xFFFF};
const std::vector<unsigned> extremes32 = {
    0,      1,       2,          3,           4,          16,         24,        32,
    40,     54,      124,        4095,        4096,       8191,       8192,      8193,
    0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000u, 0x80000001, 0xFFFFFFFE, 0xFFFFFFFF};

unsigned fieldValue(const std::string& bytes, const HeaderField& field)
{
    unsigned value = 0;
    memcpy(&value, bytes.data() + field.offset, field.size);
    return value;
}

void setField(std::string* bytes, const HeaderField& field, unsigned value)
{
    memcpy(&(*bytes)[field.offset], &value, field.size);
}

// What the file format says about a file, independently of the reader:
// whether it is a bitmap of the format with all its pixels (anything else
// must be refused), and whether it is also of a size any banner has (then
// it must be shown).
struct FormatVerdict {
    bool inFormat;
    bool bannerSized;
};

FormatVerdict judgeFormat(const std::string& bytes)
{
    if (bytes.size() < HeaderBytes)
        return FormatVerdict{false, false};
    BITMAPINFOHEADER info;
    memcpy(&info, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof info);
    bool shape = info.biSize == sizeof info && info.biPlanes == 1 && info.biCompression == BI_RGB &&
                 info.biClrUsed == 0 &&
                 (info.biBitCount == 16 || info.biBitCount == 24 || info.biBitCount == 32) &&
                 info.biWidth > 0 && info.biHeight > 0;
    if (!shape)
        return FormatVerdict{false, false};
    unsigned long long stride =
        ((unsigned long long)info.biBitCount / 8 * info.biWidth + 3) & ~3ull;
    bool complete = HeaderBytes + stride * (unsigned long long)info.biHeight <= bytes.size();
    return FormatVerdict{complete, complete && info.biWidth <= 4096 && info.biHeight <= 4096};
}

// An inaccessible reserved page right after the next block of blockSize
// bytes that GlobalAlloc hands out. Blocks whose end has no free page
// after it are held (allocated) until the guard is released, so that the
// next block cannot land there; reserved is null when no guard was made.
struct Guard {
    void* reserved;
    std::vector<void*> held;
};

Guard guardNextBlock(size_t blockSize)
{
    Guard guard = {NULL, {}};
    for (int attempt = 0; attempt < 8 && !guard.reserved; attempt++) {
        char* probe = (char*)GlobalAlloc(GMEM_FIXED, blockSize);
        if (!probe)
            break;
        char* end = probe + blockSize;
        MEMORY_BASIC_INFORMATION after;
        if ((UINT_PTR)end % MappingGranularity == 0 &&
            VirtualQuery(end, &after, sizeof after) == sizeof after && after.State == MEM_FREE) {
            GlobalFree(probe);
            void* reserved = VirtualAlloc(end, MappingGranularity, MEM_RESERVE, PAGE_NOACCESS);
            // The next block of this size must land where the probe did.
            char* again = (char*)GlobalAlloc(GMEM_FIXED, blockSize);
            if (reserved == end && again == probe) {
                GlobalFree(again);
                guard.reserved = reserved;
                break;
            }
            if (reserved)
                VirtualFree(reserved, 0, MEM_RELEASE);
            probe = again;
        }
        if (probe)
            guard.held.push_back(probe);
    }
    return guard;
}

void releaseGuard(Guard* guard)
{
    if (guard->reserved)
        VirtualFree(guard->reserved, 0, MEM_RELEASE);
    guard->reserved = NULL;
    for (void* block : guard->held)
        GlobalFree(block);
    guard->held.clear();
}

// The size of a block of about granules * 64 KiB (1 MiB or more) that
// fills its mapping to the end, learned from where Wine puts such a block's
// data.
size_t guardedBlockSize(int granules)
{
    size_t size = (size_t)granules * MappingGranularity;
    char* probe = (char*)GlobalAlloc(GMEM_FIXED, size);
    if (!probe)
        return 0;
    size_t offset = (UINT_PTR)probe % MappingGranularity;
    GlobalFree(probe);
    return size - offset;
}

struct RunTally {
    long long cases = 0;
    long long accepted = 0;
    long long guarded = 0;
    long long failures = 0;
    DWORD startMs = 0;
};

class BannerMutation : public ::testing::Test {
protected:
    std::string folder;
    std::string path;
    HWND owner = NULL;
    HWND picture = NULL;
    BoxWatcher watcher;
    MutationSettings settings;
    RunTally tally;

    void SetUp() override
    {
        resetInstallSession();
        installCaseGuard(20000);
        settings = mutationSettings();
        folder = makeTempFolder("banner-mutation");
        path = joinPath(folder, "banner.bmp");
        owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 400, 400, NULL, NULL, NULL, NULL);
        picture = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 8, 8, 15, 15,
                                owner, NULL, NULL, NULL);
        session.wizardWindow = owner;
        strcpy(session.windowCaption, "バナー セットアップ");
        startBoxWatcher(&watcher, IDOK);
        tally.startMs = GetTickCount();
    }
    void TearDown() override
    {
        stopBoxWatcher(&watcher);
        DestroyWindow(owner);
        resetInstallSession();
        removeTree(folder);
        DWORD elapsed = GetTickCount() - tally.startMs;
        printf(
            "[ mutation ] %s: %lld cases (%lld guarded), %lld shown, %lld refused, "
            "%lld faulty, %.1f s, %.0f cases/s\n",
            ::testing::UnitTest::GetInstance()->current_test_info()->name(), tally.cases,
            tally.guarded, tally.accepted, tally.cases - tally.accepted, tally.failures,
            elapsed / 1000.0, elapsed ? tally.cases * 1000.0 / elapsed : 0.0);
        fflush(stdout);
    }

    // What the reader did with the file, against the reader's contract and
    // the format.
    void judge(const std::string& bytes, int result, const std::vector<MessageBoxSeen>& boxes,
               std::vector<std::string>* faults)
    {
        auto expect = [faults](bool holds, const std::string& fault) {
            if (!holds)
                faults->push_back(fault);
        };
        FormatVerdict format = judgeFormat(bytes);
        HBITMAP shown = (HBITMAP)SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0);
        if (result == 0) {
            expect(!format.bannerSized, "a banner-sized bitmap of the format was refused");
            expect(boxes.size() == 1, "refused with " + std::to_string(boxes.size()) + " boxes");
            for (const MessageBoxSeen& box : boxes)
                expect(box.text == "Can't load \"" + path + "\"" &&
                           box.caption == session.windowCaption && box.owner == owner,
                       "refused with the box \"" + box.text + "\" (" + box.caption + ")");
            expect(session.bannerBitmap == NULL && shown == NULL, "refused but a bitmap is kept");
            return;
        }
        expect(result == 1, "result " + std::to_string(result));
        expect(format.inFormat, "shown although not a complete bitmap of the format");
        expect(boxes.empty(), "shown after a box");
        expect(session.bannerBitmap != NULL || !format.bannerSized,
               "no DIB section for a banner-sized bitmap");
        if (!session.bannerBitmap)
            return;
        expect(shown == session.bannerBitmap, "the picture does not show the bitmap");
        DIBSECTION dib;
        if (GetObjectA(session.bannerBitmap, sizeof dib, &dib) != (int)sizeof dib) {
            faults->push_back("the bitmap is not a DIB section");
            return;
        }
        BITMAPINFOHEADER info;
        memcpy(&info, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof info);
        expect(dib.dsBmih.biWidth == info.biWidth && dib.dsBmih.biHeight == info.biHeight &&
                   dib.dsBmih.biBitCount == info.biBitCount,
               "the DIB section's header differs from the file's");
        unsigned long long pixelBytes =
            (unsigned long long)dib.dsBm.bmWidthBytes * dib.dsBm.bmHeight;
        if (HeaderBytes + pixelBytes > bytes.size()) {
            faults->push_back("the DIB section holds " + std::to_string(pixelBytes) +
                              " pixel bytes, more than the file's " +
                              std::to_string(bytes.size() - HeaderBytes));
            return;
        }
        expect(memcmp(dib.dsBm.bmBits, bytes.data() + HeaderBytes, (size_t)pixelBytes) == 0,
               "the pixels differ from the file's");
    }

    // Writes the file, runs the reader (with a guard after its block when
    // asked) and judges the outcome.
    void runCase(long long index, const std::string& bytes, const std::string& what, bool guarded)
    {
        if (!caseSelected(settings, index))
            return;
        ASSERT_TRUE(writeFileBytes(path, bytes));
        Guard guard = {NULL, {}};
        if (guarded) {
            guard = guardNextBlock(bytes.size() + 1);
            if (!guard.reserved) {
                releaseGuard(&guard);
                FAIL() << "case " << index << ": no inaccessible page after a block of "
                       << bytes.size() + 1;
            }
        }
        beginCase("banner", index, what);
        int result = loadBannerBitmap(path.c_str(), picture);
        endCase();
        releaseGuard(&guard);
        std::vector<MessageBoxSeen> boxes = takeBoxes(&watcher);
        std::vector<std::string> faults;
        judge(bytes, result, boxes, &faults);
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, 0);
        if (session.bannerBitmap)
            DeleteObject(session.bannerBitmap);
        session.bannerBitmap = NULL;

        tally.cases++;
        tally.guarded += guarded;
        tally.accepted += result != 0;
        if (faults.empty())
            return;
        if (++tally.failures <= 20) {
            std::string report;
            for (const std::string& fault : faults)
                report += "\n  " + fault;
            ADD_FAILURE() << "case " << index << " (" << what << "): " << report
                          << "\n  header: " << hexPreview(bytes, HeaderBytes)
                          << "\n  length: " << bytes.size();
        }
    }
};

struct BaseBitmap {
    int width, height, bits;
};
const BaseBitmap smallBases[] = {{5, 3, 24}, {7, 3, 16},  {9, 4, 32},  {1, 1, 24},
                                 {3, 2, 16}, {13, 5, 24}, {64, 32, 24}};
const size_t smallBaseCount = sizeof smallBases / sizeof smallBases[0];

std::string smallBase(unsigned which)
{
    const BaseBitmap& base = smallBases[which % smallBaseCount];
    return bitmapFile(base.width, base.height, base.bits);
}

enum { TruncationCases = 0, FieldCases = 1000000, GuardedCases = 2000000, RandomCases = 3000000 };

TEST_F(BannerMutation, TruncatedAtEveryPosition)
{
    long long index = TruncationCases;
    for (unsigned base = 0; base < 3; base++) {
        std::string bytes = smallBase(base) + "tail";
        for (size_t length = 0; length <= bytes.size(); length++)
            runCase(index++, bytes.substr(0, length),
                    "base " + std::to_string(base) + " cut to " + std::to_string(length), false);
    }
    EXPECT_EQ(0, tally.failures);
}

TEST_F(BannerMutation, EveryHeaderFieldAtItsExtremes)
{
    long long index = FieldCases;
    for (unsigned base = 0; base < 2; base++) {
        for (const HeaderField& field : headerFields) {
            std::string original = smallBase(base);
            unsigned value = fieldValue(original, field);
            std::vector<unsigned> values = field.size == 2 ? extremes16 : extremes32;
            values.push_back(value - 1);
            values.push_back(value + 1);
            for (unsigned extreme : values) {
                std::string bytes = original;
                setField(&bytes, field, extreme);
                runCase(index++, bytes,
                        "base " + std::to_string(base) + ", " + field.name + " = " +
                            std::to_string(extreme),
                        false);
            }
        }
    }
    EXPECT_EQ(0, tally.failures);
}

// Files whose block ends right before an inaccessible page: whole pixel
// arrays ending one byte before the file does, and headers that ask for up
// to one row more than the file holds.
TEST_F(BannerMutation, GuardedFilesNeverReadPastTheirEnd)
{
    long long index = GuardedCases;
    size_t blockSize = guardedBlockSize(16);
    ASSERT_NE(0u, blockSize);
    size_t length = blockSize - 1;
    // A 32-bit bitmap whose pixels end one byte before the file: the pixel
    // bytes are a multiple of 4 and the length less the header is odd.
    unsigned long long pixels = length - HeaderBytes - 1;
    ASSERT_EQ(0u, pixels % 4);
    int width = 0, height = 0;
    for (int w = 4096; w >= 1 && !width; w--)
        if ((pixels / 4) % w == 0 && pixels / 4 / w <= 4096) {
            width = w;
            height = (int)(pixels / 4 / w);
        }
    ASSERT_NE(0, width) << "no width and height fill " << pixels << " bytes";
    std::string tight = bitmapFile(width, height, 32) + "t";
    ASSERT_EQ(length, tight.size());
    runCase(index++, tight,
            std::to_string(width) + "x" + std::to_string(height) + "x32 ending 1 byte early", true);

    // Headers that claim one byte to one row more than there is.
    MutationRng rng = caseRng(settings.seed, GuardedCases);
    const int bitsChoices[] = {16, 24, 32};
    for (int bits : bitsChoices)
        for (int w : {1, 2, 3, 5, 333, 1000, 1023, 4095}) {
            long long stride = ((bits + 7) / 8 * w + 3) & ~3;
            long long fit = (long long)(length - HeaderBytes) / stride;
            for (long long h : {fit, fit + 1}) {
                if (h > 8192 || h < 1)
                    continue;
                std::string bytes = tight;
                setField(&bytes, widthField, (unsigned)w);
                setField(&bytes, heightField, (unsigned)h);
                setField(&bytes, bitCountField, (unsigned)bits);
                runCase(index++, bytes,
                        std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(bits) +
                            " in a guarded file",
                        true);
            }
        }
    // Random header damage on the guarded file.
    for (int n = 0; n < 40; n++) {
        std::string bytes = tight;
        const HeaderField& field = headerFields[randomBelow(&rng, headerFieldCount)];
        unsigned value = pickOne(&rng, field.size == 2 ? extremes16 : extremes32);
        setField(&bytes, field, value);
        runCase(index++, bytes,
                std::string(field.name) + " = " + std::to_string(value) + " in a guarded file",
                true);
    }
    EXPECT_EQ(0, tally.failures);
}

TEST_F(BannerMutation, RandomDamage)
{
    for (long long n = 0; n < settings.cases; n++) {
        long long index = RandomCases + n;
        MutationRng rng = caseRng(settings.seed, (uint64_t)index);
        unsigned base = randomBelow(&rng, (unsigned)smallBaseCount);
        std::string bytes = smallBase(base);
        std::string what = "base " + std::to_string(base);
        unsigned changes = 1 + randomBelow(&rng, 4);
        for (unsigned i = 0; i < changes; i++) {
            unsigned kind = randomBelow(&rng, 10);
            if (kind < 5) {
                const HeaderField& field = headerFields[randomBelow(&rng, headerFieldCount)];
                unsigned value = kind == 4
                                     ? (unsigned)nextRandom(&rng)
                                     : pickOne(&rng, field.size == 2 ? extremes16 : extremes32);
                setField(&bytes, field, value);
                what += std::string("; ") + field.name + " = " + std::to_string(value);
            } else if (kind < 7) {
                size_t at = randomBelow(&rng, HeaderBytes);
                unsigned bit = randomBelow(&rng, 8);
                bytes[at] = (char)(bytes[at] ^ (1 << bit));
                what +=
                    "; flip bit " + std::to_string(bit) + " of header byte " + std::to_string(at);
            } else {
                damageBytes(&rng, &bytes, &what);
            }
            if (bytes.size() < HeaderBytes)
                break;
        }
        runCase(index, bytes, what, false);
    }
    EXPECT_EQ(0, tally.failures);
}

}  // namespace
