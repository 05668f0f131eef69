#include "files/file_core.h"

#include <algorithm>
#include <cwctype>

static bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

ImageFormat FormatFromExtension(std::wstring_view path) {
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring_view::npos) return ImageFormat::Other;
    const std::wstring_view ext = path.substr(dot);
    if (EqualsNoCase(ext, L".bmp") || EqualsNoCase(ext, L".dib")) return ImageFormat::Bmp;
    if (EqualsNoCase(ext, L".png")) return ImageFormat::Png;
    if (EqualsNoCase(ext, L".jpg") || EqualsNoCase(ext, L".jpeg") || EqualsNoCase(ext, L".jpe"))
        return ImageFormat::Jpeg;
    if (EqualsNoCase(ext, L".gif")) return ImageFormat::Gif;
    return ImageFormat::Other;
}

bool CanSaveUnderOwnName(std::wstring_view path) { return FormatFromExtension(path) != ImageFormat::Other; }

int SaveFilterIndexFor(std::wstring_view path) {
    switch (FormatFromExtension(path)) {
    case ImageFormat::Png: return 2;
    case ImageFormat::Jpeg: return 3;
    case ImageFormat::Gif: return 4;
    default: return 1;
    }
}

std::wstring_view FileNamePart(std::wstring_view path) {
    const size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring_view::npos ? path : path.substr(sep + 1);
}

std::wstring EnsureExtension(std::wstring_view path, int filterIndex, size_t maxLength) {
    std::wstring out(path);
    if (FileNamePart(path).find(L'.') != std::wstring_view::npos && CanSaveUnderOwnName(path)) return out;
    const wchar_t* ext = filterIndex == 2 ? L".png" : filterIndex == 3 ? L".jpg" : filterIndex == 4 ? L".gif" : L".bmp";
    if (out.size() + 4 <= maxLength) out += ext;
    return out;
}

std::wstring ProposedSaveName(std::wstring_view path) {
    if (CanSaveUnderOwnName(path)) return std::wstring(path);
    const std::wstring_view name = FileNamePart(path);
    const size_t dot = name.rfind(L'.');
    const size_t keep = dot == std::wstring_view::npos ? path.size() : path.size() - name.size() + dot;
    return std::wstring(path.substr(0, keep)) + L".bmp";
}

std::wstring SaveTempName(std::wstring_view path) { return std::wstring(path) + L".kolvex~"; }

WindowFit FitWindowToPicture(int pictureWidth, int pictureHeight, const FitMetrics& m, int workWidth, int workHeight,
                             int currentWidth, int currentHeight) {
    // The tool box is 56 pixels wide, the colour box and status bar 42 and 22 high; the grips stand 4 pixels out.
    constexpr long long kGrips = 4;
    // 64-bit so that the largest pictures cannot overflow the sums.
    long long w = static_cast<long long>(pictureWidth) + kGrips + m.canvasEdgeWidth + 56 + m.nonClientWidth;
    long long h = static_cast<long long>(pictureHeight) + kGrips + m.canvasEdgeHeight + 64 + m.nonClientHeight;
    w = std::max<long long>(std::min<long long>(w, workWidth), currentWidth);
    h = std::max<long long>(std::min<long long>(h, workHeight), currentHeight);
    WindowFit f;
    f.width = static_cast<int>(w);
    f.height = static_cast<int>(h);
    f.resize = f.width > currentWidth || f.height > currentHeight;
    return f;
}
