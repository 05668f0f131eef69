// The modal "Resize and Skew" dialog: scales the picture, or the floating selection, by a percentage or to a size
// in pixels, optionally keeping the aspect ratio. It offers no skew despite its name.
#pragma once
#include <windows.h>

constexpr wchar_t kStretchSkewClass[] = L"KolvexStretchSkewClass";
constexpr int kResizePercentId = 201;
constexpr int kResizePixelsId = 202;
constexpr int kResizeHorizontalId = 203;
constexpr int kResizeVerticalId = 204;
constexpr int kResizeAspectId = 205;
constexpr int kResizeHorizontalUnitId = 206;
constexpr int kResizeVerticalUnitId = 207;

// Command 402. Settles nothing: the sizes refer to the selection when there is one, else to the picture, and
// Stretch settles the text box itself.
void OpenResizeDialog(HWND owner);
