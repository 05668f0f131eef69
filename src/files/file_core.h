// File-name rules of the File commands and the window fitting after a load; no file is touched here.
#pragma once
#include <string>
#include <string_view>

enum class ImageFormat : int { Bmp = 0, Png = 1, Jpeg = 2, Gif = 3, Other = 4 };

// By the text from the last "." of the path to its end, ignoring case: .bmp .dib, .png, .jpg .jpeg .jpe, .gif.
ImageFormat FormatFromExtension(std::wstring_view path);
// Formats the program can write under their own name. Save of any other name goes through Save As.
bool CanSaveUnderOwnName(std::wstring_view path);
// The Save As filter (1-based) that matches the path's format.
int SaveFilterIndexFor(std::wstring_view path);
// Appends the chosen filter's extension (.bmp, .png, .jpg, .gif) to a file name that has none or one the program
// cannot write, when the result still fits in maxLength characters.
std::wstring EnsureExtension(std::wstring_view path, int filterIndex, size_t maxLength = 259);
// The name Save As proposes for the document's path: the path itself when the program can write its format,
// else the path with its extension replaced by ".bmp".
std::wstring ProposedSaveName(std::wstring_view path);
// The name a save writes first, in the same folder, before it replaces the target.
std::wstring SaveTempName(std::wstring_view path);
// The file-name part of a path: after its last backslash or slash.
std::wstring_view FileNamePart(std::wstring_view path);

struct WindowFit {
    bool resize = false;
    int width = 0, height = 0;
};
struct FitMetrics {
    int nonClientWidth = 0, nonClientHeight = 0;   // the main window's frame, caption and menu bar
    int canvasEdgeWidth = 0, canvasEdgeHeight = 0; // the canvas window's client edge, both sides together
};
// The outer size whose client area shows a picture with its grips beside the tool box and above the colour box
// and status bar: grown to fit, never beyond the work area and never smaller than the window is now.
WindowFit FitWindowToPicture(int pictureWidth, int pictureHeight, const FitMetrics& m, int workWidth, int workHeight,
                             int currentWidth, int currentHeight);
