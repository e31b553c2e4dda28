// The banner reader against real bitmap files, well-formed and damaged.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>

#include "setup/session.h"
#include "support/test_files.h"
#include "support/ui_driver.h"
#include "wizard/banner.h"

namespace {

// A bottom-up BI_RGB bitmap file whose pixel (x, y from the top) has the
// bytes pixelByte(x, y, channel).
std::string bitmapFile(int width, int height, int bits)
{
    int bytesPerPixel = bits / 8;
    int stride = (bytesPerPixel * width + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * height;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = (WORD)bits;
    info.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int row = height - 1; row >= 0; row--) {
        std::string line(stride, '\0');
        for (int x = 0; x < width; x++)
            for (int c = 0; c < bytesPerPixel; c++)
                line[x * bytesPerPixel + c] = (char)(x * 16 + row * 3 + c * 50);
        bytes += line;
    }
    return bytes;
}

BITMAPINFOHEADER* infoOf(std::string& file)
{
    return reinterpret_cast<BITMAPINFOHEADER*>(&file[sizeof(BITMAPFILEHEADER)]);
}

class BannerReader : public ::testing::Test {
protected:
    std::string folder;
    HWND owner = NULL;
    HWND picture = NULL;

    void SetUp() override
    {
        resetInstallSession();
        folder = makeTempFolder("banner");
        owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 400, 400, NULL, NULL, NULL, NULL);
        picture = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 8, 8, 15, 15, owner,
                                NULL, NULL, NULL);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        if (session.bannerBitmap)
            DeleteObject(session.bannerBitmap);
        resetInstallSession();
        removeTree(folder);
    }

    struct Outcome {
        int result;
        MessageBoxSeen box;
    };
    Outcome load(const std::string& path)
    {
        MessageBoxAnswerer answerer;
        startAnswering(&answerer, IDOK, 10000);
        int result = loadBannerBitmap(path.c_str(), picture);
        return Outcome{result, finishAnswering(&answerer)};
    }
};

TEST_F(BannerReader, ShowsWellFormedBitmapsExactly)
{
    struct Case {
        int width, height, bits;
    } cases[] = {{13, 5, 24}, {340, 340, 24}, {7, 3, 16}, {9, 4, 32}, {1, 1, 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        std::string file = bitmapFile(c.width, c.height, c.bits);
        file += "trailing bytes are ignored";
        std::string path = joinPath(folder, "ok.bmp");
        ASSERT_TRUE(writeFileBytes(path, file));
        Outcome outcome = load(path);
        EXPECT_EQ(1, outcome.result);
        EXPECT_FALSE(outcome.box.seen) << outcome.box.text;
        ASSERT_NE(nullptr, session.bannerBitmap);
        EXPECT_EQ((LRESULT)session.bannerBitmap, SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
        DIBSECTION dib;
        ASSERT_EQ((int)sizeof dib, GetObjectA(session.bannerBitmap, sizeof dib, &dib));
        EXPECT_EQ(c.width, dib.dsBm.bmWidth);
        EXPECT_EQ(c.height, dib.dsBm.bmHeight);
        size_t pixelBytes = (size_t)dib.dsBm.bmWidthBytes * c.height;
        EXPECT_EQ(0, memcmp(file.data() + 54, dib.dsBm.bmBits, pixelBytes));
        DeleteObject(session.bannerBitmap);
        session.bannerBitmap = NULL;
    }
}

TEST_F(BannerReader, RejectsWhatItCannotShowWithoutReadingPastTheFile)
{
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"empty file", [](std::string& f) { f.clear(); }},
        {"shorter than the headers", [](std::string& f) { f.resize(53); }},
        {"headers only", [](std::string& f) { f.resize(54); }},
        {"last pixel byte missing", [](std::string& f) { f.resize(f.size() - 1); }},
        {"zero width", [](std::string& f) { infoOf(f)->biWidth = 0; }},
        {"negative width", [](std::string& f) { infoOf(f)->biWidth = -13; }},
        {"huge width", [](std::string& f) { infoOf(f)->biWidth = 0x7FFFFFFF; }},
        {"zero height", [](std::string& f) { infoOf(f)->biHeight = 0; }},
        {"top-down height", [](std::string& f) { infoOf(f)->biHeight = -5; }},
        {"huge height", [](std::string& f) { infoOf(f)->biHeight = 0x40000000; }},
        {"8 bits with palette", [](std::string& f) { infoOf(f)->biBitCount = 8; }},
        {"1 bit", [](std::string& f) { infoOf(f)->biBitCount = 1; }},
        {"zero bits", [](std::string& f) { infoOf(f)->biBitCount = 0; }},
        {"run-length compressed", [](std::string& f) { infoOf(f)->biCompression = BI_RLE8; }},
        {"bit fields", [](std::string& f) { infoOf(f)->biCompression = BI_BITFIELDS; }},
        {"colour table", [](std::string& f) { infoOf(f)->biClrUsed = 2; }},
        {"two planes", [](std::string& f) { infoOf(f)->biPlanes = 2; }},
        {"larger header", [](std::string& f) { infoOf(f)->biSize = 124; }},
        {"core header", [](std::string& f) { infoOf(f)->biSize = 12; }},
    };
    for (const auto& c : cases) {
        std::string file = bitmapFile(13, 5, 24);
        c.damage(file);
        std::string path = joinPath(folder, "bad.bmp");
        ASSERT_TRUE(writeFileBytes(path, file)) << c.name;
        Outcome outcome = load(path);
        EXPECT_EQ(0, outcome.result) << c.name;
        EXPECT_TRUE(outcome.box.seen) << c.name;
        EXPECT_EQ("Can't load \"" + path + "\"", outcome.box.text) << c.name;
        EXPECT_EQ(nullptr, session.bannerBitmap) << c.name;
        EXPECT_EQ(0, SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)) << c.name;
    }
}

TEST_F(BannerReader, MissingFileShowsTheMessageWithTheWindowCaption)
{
    strcpy(session.windowCaption, "Game setup");
    session.wizardWindow = owner;
    std::string path = joinPath(folder, "none.bmp");
    Outcome outcome = load(path);
    EXPECT_EQ(0, outcome.result);
    EXPECT_EQ("Game setup", outcome.box.caption);
    EXPECT_EQ("Can't load \"" + path + "\"", outcome.box.text);
    EXPECT_EQ(owner, outcome.box.owner);
}

}  // namespace
