// The text tests' reference renderer, built apart from the program and sharing none of its code: draws a string
// with DrawTextW into a 32-bit DIB section that holds the given starting picture, as a text box's commit is meant
// to, and writes the result as a 24-bit BMP.
//
//   text_reference --has-face <face>                 exit 0 when the face is installed, 3 when not
//   text_reference --picture <in.bmp> --out <out.bmp> --face <face> --size <points> [--bold] [--italic]
//                  [--underline] --color <rrggbb> --background <rrggbb> --mode transparent|opaque
//                  --box <l,t,r,b> --target <l,t,r,b> --text-file <UTF-8 file>
//
// The box is what opaque mode fills with the background colour, the target the rectangle the text is drawn in.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Options {
    std::wstring picture, out, face, textFile, hasFace;
    int size = 0;
    bool bold = false, italic = false, underline = false, opaque = false;
    COLORREF color = 0, background = 0;
    RECT box{}, target{};
};

int Fail(const wchar_t* what, const std::wstring& detail = L"") {
    fwprintf(stderr, L"text_reference: %ls%ls\n", what, detail.c_str());
    return 2;
}

bool ParseColor(const std::wstring& s, COLORREF* c) {
    if (s.size() != 6) return false;
    wchar_t* end = nullptr;
    const unsigned long v = wcstoul(s.c_str(), &end, 16);
    if (*end) return false;
    *c = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    return true;
}

bool ParseRect(const std::wstring& s, RECT* r) {
    long l, t, rr, b;
    if (swscanf(s.c_str(), L"%ld,%ld,%ld,%ld", &l, &t, &rr, &b) != 4) return false;
    *r = {l, t, rr, b};
    return true;
}

bool ParseArgs(int argc, wchar_t** argv, Options* o) {
    const struct {
        const wchar_t* name;
        bool* on;
    } flags[] = {{L"--bold", &o->bold}, {L"--italic", &o->italic}, {L"--underline", &o->underline}};
    const struct {
        const wchar_t* name;
        std::wstring* value;
    } strings[] = {{L"--has-face", &o->hasFace},
                   {L"--picture", &o->picture},
                   {L"--out", &o->out},
                   {L"--face", &o->face},
                   {L"--text-file", &o->textFile}};
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        bool known = false;
        for (const auto& f : flags)
            if (a == f.name) known = *f.on = true;
        if (known) continue;
        if (i + 1 >= argc) return false;
        const std::wstring v = argv[++i];
        for (const auto& s : strings)
            if (a == s.name) {
                *s.value = v;
                known = true;
            }
        if (a == L"--size") known = (o->size = _wtoi(v.c_str())) > 0;
        if (a == L"--mode") known = v == L"opaque" || v == L"transparent";
        if (a == L"--mode") o->opaque = v == L"opaque";
        if (a == L"--color") known = ParseColor(v, &o->color);
        if (a == L"--background") known = ParseColor(v, &o->background);
        if (a == L"--box") known = ParseRect(v, &o->box);
        if (a == L"--target") known = ParseRect(v, &o->target);
        if (!known) return false;
    }
    return true;
}

int CALLBACK CountFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return 1;
}

bool FaceInstalled(const std::wstring& face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    wcscpy(query.lfFaceName, face.c_str());
    int count = 0;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &query, CountFace, reinterpret_cast<LPARAM>(&count), 0);
    ReleaseDC(nullptr, dc);
    return count > 0;
}

bool ReadUtf8File(const std::wstring& path, std::wstring* text) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    std::string bytes;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    fclose(f);
    const int len =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (len <= 0 && !bytes.empty()) return false;
    text->assign(static_cast<size_t>(len), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text->data(), len);
    return true;
}

bool WriteBmp24(const std::wstring& path, const uint32_t* pixels, int w, int h) {
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(stride) * h;
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = static_cast<DWORD>(stride) * h;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&ih, sizeof ih, 1, f);
    std::vector<unsigned char> row(static_cast<size_t>(stride), 0);
    for (int y = 0; y < h; ++y) { // bottom-up, as the section holds them
        const uint32_t* src = pixels + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            row[static_cast<size_t>(x) * 3] = src[x] & 0xFF;
            row[static_cast<size_t>(x) * 3 + 1] = (src[x] >> 8) & 0xFF;
            row[static_cast<size_t>(x) * 3 + 2] = (src[x] >> 16) & 0xFF;
        }
        fwrite(row.data(), 1, row.size(), f);
    }
    return fclose(f) == 0;
}

int Render(const Options& o) {
    std::wstring text;
    if (!ReadUtf8File(o.textFile, &text)) return Fail(L"cannot read the text file ", o.textFile);
    HBITMAP start = static_cast<HBITMAP>(
        LoadImageW(nullptr, o.picture.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!start) return Fail(L"cannot read the picture ", o.picture);
    BITMAP info{};
    GetObjectW(start, sizeof info, &info);
    const int w = info.bmWidth, h = info.bmHeight;

    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP section = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc || !section) return Fail(L"no DIB section");
    HGDIOBJ oldSection = SelectObject(dc, section);
    HDC startDc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldStart = SelectObject(startDc, start);
    BitBlt(dc, 0, 0, w, h, startDc, 0, 0, SRCCOPY);
    SelectObject(startDc, oldStart);
    DeleteDC(startDc);
    DeleteObject(start);

    // 96 dots per inch, the same quality and arguments a text box's commit uses.
    HFONT font = CreateFontW(-MulDiv(o.size, 96, 72), 0, 0, 0, o.bold ? FW_BOLD : FW_NORMAL, o.italic, o.underline,
                             FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, o.face.c_str());
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, o.color);
    if (o.opaque) {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, o.background);
        HBRUSH fill = CreateSolidBrush(o.background);
        FillRect(dc, &o.box, fill);
        DeleteObject(fill);
    } else {
        SetBkMode(dc, TRANSPARENT);
    }
    RECT target = o.target;
    DrawTextW(dc, text.c_str(), -1, &target, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
    GdiFlush();
    const bool written = WriteBmp24(o.out, static_cast<const uint32_t*>(bits), w, h);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldSection);
    DeleteObject(section);
    DeleteDC(dc);
    return written ? 0 : Fail(L"cannot write ", o.out);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Options o;
    if (!ParseArgs(argc, argv, &o)) return Fail(L"bad arguments (see the head of text_reference.cpp)");
    if (!o.hasFace.empty()) return FaceInstalled(o.hasFace) ? 0 : 3;
    if (o.picture.empty() || o.out.empty() || o.textFile.empty() || o.size < 1)
        return Fail(L"--picture, --out, --text-file and --size are needed");
    // Two fallbacks would draw alike: a face that is missing must not pass as equal.
    if (!FaceInstalled(o.face)) {
        fwprintf(stderr, L"text_reference: the face '%ls' is not installed\n", o.face.c_str());
        return 3;
    }
    return Render(o);
}
