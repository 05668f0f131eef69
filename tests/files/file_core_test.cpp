#include "files/file_core.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileNames, FormatFollowsTheLastDotIgnoringCase) {
    const std::pair<const wchar_t*, ImageFormat> cases[] = {
        {L"C:\\a\\b.bmp", ImageFormat::Bmp},
        {L"x.DIB", ImageFormat::Bmp},
        {L"x.PNG", ImageFormat::Png},
        {L"x.jpg", ImageFormat::Jpeg},
        {L"x.Jpeg", ImageFormat::Jpeg},
        {L"x.jpe", ImageFormat::Jpeg},
        {L"x.gif", ImageFormat::Gif},
        {L"x.tif", ImageFormat::Other},
        {L"C:\\my.folder\\picture", ImageFormat::Other},
        {L"noextension", ImageFormat::Other},
        {L"x.png.bak", ImageFormat::Other},
        {L"x.bmp.", ImageFormat::Other},
    };
    for (const auto& [path, format] : cases) {
        EXPECT_EQ(FormatFromExtension(path), format) << std::wstring(path).size();
        EXPECT_EQ(CanSaveUnderOwnName(path), format != ImageFormat::Other);
    }
}

TEST(FileNames, SaveAsPreselectsTheDocumentsFormat) {
    EXPECT_EQ(SaveFilterIndexFor(L"C:\\p\\a.png"), 2);
    EXPECT_EQ(SaveFilterIndexFor(L"a.JPG"), 3);
    EXPECT_EQ(SaveFilterIndexFor(L"a.gif"), 4);
    EXPECT_EQ(SaveFilterIndexFor(L"Untitled.bmp"), 1);
    EXPECT_EQ(SaveFilterIndexFor(L"a.tif"), 1);
}

TEST(FileNames, EnsureExtensionAddsTheFiltersExtensionToBareNamesAndUnwritableOnes) {
    struct Case {
        const wchar_t* path;
        int filter;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\pics\\photo", 3, L"C:\\pics\\photo.jpg"},
        {L"C:\\pics\\photo", 2, L"C:\\pics\\photo.png"},
        {L"C:\\pics\\photo", 4, L"C:\\pics\\photo.gif"},
        {L"C:\\pics\\photo", 5, L"C:\\pics\\photo.bmp"},
        {L"C:\\pics\\photo", 1, L"C:\\pics\\photo.bmp"},
        {L"C:\\pics\\photo.bmp", 3, L"C:\\pics\\photo.bmp"},
        {L"C:\\my.pics\\photo", 2, L"C:\\my.pics\\photo.png"},
        {L"C:/my.pics/photo", 2, L"C:/my.pics/photo.png"},
        // A typed name the program cannot write in its format would get BMP bytes under a foreign name.
        {L"C:\\pics\\pic.tif", 1, L"C:\\pics\\pic.tif.bmp"},
        {L"C:\\pics\\pic.tif", 2, L"C:\\pics\\pic.tif.png"},
        {L"C:\\pics\\photo.JPEG", 1, L"C:\\pics\\photo.JPEG"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EnsureExtension(c.path, c.filter), c.expected);
    // Only when the result still fits.
    const std::wstring long255(255, L'a');
    EXPECT_EQ(EnsureExtension(long255, 2), long255 + L".png");
    const std::wstring long256(256, L'a');
    EXPECT_EQ(EnsureExtension(long256, 2), long256);
}

TEST(FileNames, SaveAsProposesABitmapNameForAFormatTheProgramCannotWrite) {
    EXPECT_EQ(ProposedSaveName(L"C:\\pics\\pic.tif"), L"C:\\pics\\pic.bmp");
    EXPECT_EQ(ProposedSaveName(L"C:\\my.pics\\scan"), L"C:\\my.pics\\scan.bmp");
    EXPECT_EQ(ProposedSaveName(L"C:\\pics\\a.b.ico"), L"C:\\pics\\a.b.bmp");
    EXPECT_EQ(ProposedSaveName(L"C:\\pics\\a.png"), L"C:\\pics\\a.png");
    EXPECT_EQ(SaveFilterIndexFor(ProposedSaveName(L"C:\\pics\\pic.tif")), 1);
}

TEST(FileNames, TheTemporaryFileLivesBesideTheTarget) {
    EXPECT_EQ(SaveTempName(L"C:\\pics\\a.png"), L"C:\\pics\\a.png.kolvex~");
    EXPECT_EQ(FileNamePart(L"C:\\pics\\a.png"), L"a.png");
    EXPECT_EQ(FileNamePart(L"C:/x/y"), L"y");
    EXPECT_EQ(FileNamePart(L"plain"), L"plain");
}

TEST(WindowFit, GrowsToThePictureButNotBeyondTheWorkAreaAndNeverShrinks) {
    // Frames of 4 + caption 18 + menu 19; a canvas edge of 2 on each side.
    const FitMetrics m{8, 45, 4, 4};
    // 2000 x 1500 on a 1024 x 740 work area from 800 x 600: the work area.
    WindowFit f = FitWindowToPicture(2000, 1500, m, 1024, 740, 800, 600);
    EXPECT_TRUE(f.resize);
    EXPECT_EQ(f.width, 1024);
    EXPECT_EQ(f.height, 740);
    // A small picture keeps the window as it is.
    f = FitWindowToPicture(100, 80, m, 1024, 740, 800, 600);
    EXPECT_FALSE(f.resize);
    // 700 wide needs 700 + 4 grips + 4 edge + 56 + 8 = 772 < 800; 600 high needs 600 + 4 + 4 + 64 + 45 = 717.
    f = FitWindowToPicture(700, 600, m, 1024, 740, 800, 600);
    EXPECT_TRUE(f.resize);
    EXPECT_EQ(f.width, 800);
    EXPECT_EQ(f.height, 717);
    // The largest pictures do not overflow the sums.
    f = FitWindowToPicture(32767, 32767, m, 1024, 740, 800, 600);
    EXPECT_EQ(f.width, 1024);
}

} // namespace
