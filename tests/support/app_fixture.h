// Runs the real main window in the test process and feeds it messages through the program's own routing.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Chooses the pencil with its tool box button, as a user would before drawing.
    void ChoosePencil();
    // Sizes the main window so the whole 640 x 480 picture and its grips are visible.
    void EnlargeMainWindow(int width = 1000, int height = 760);
};

// Dispatches queued messages through the program's routing until the queue is empty.
void PumpMessages();
// Pumps until pred holds or the deadline passes; returns pred's last value.
bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

// Posts a message to window and pumps it through the program's routing.
void Post(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Mouse messages to the canvas, in canvas client coordinates.
void CanvasPress(int button, int x, int y);
void CanvasMove(int x, int y, WPARAM keys);
void CanvasRelease(int button, int x, int y);
void CanvasDrag(int button, int x0, int y0, int x1, int y1, int steps = 4);

// The visible system dialog ("#32770": message box, colour dialog) this thread shows, or null.
HWND FindThreadDialog();
// The last non-empty static text of a dialog: a message box's message.
std::wstring DialogStaticText(HWND dialog);
// Presses button (IDYES, IDNO, ...) in the next message box this thread shows, from a timer that runs
// inside the box's own loop; MessageBoxWasAnswered then gives "caption|text".
void AnswerNextMessageBox(int button);
bool MessageBoxWasAnswered(std::wstring* captionAndText);
// Clears what the last answered box said, so a test does not see an earlier test's box.
void ForgetMessageBoxAnswer();

// A folder of this test process's own under the temporary folder, named prefix and the process id; created.
std::wstring MakeTestFolder(const wchar_t* prefix);
// Deletes the files in folder, then the folder.
void RemoveTestFolder(const std::wstring& folder);
// The canvas window's pixel at a client point after the whole window has been painted anew.
COLORREF RepaintedCanvasPixel(int x, int y);

// Whole files for the tests: the bytes of one (nothing when it cannot be opened), writing one whole (whether every
// byte was written), and whether a path names anything.
std::optional<std::string> ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);
bool FileExists(const std::wstring& path);
// A variable of this process's environment; empty when it is not set.
std::wstring EnvironmentValue(const wchar_t* name);
// A real HDROP as the shell builds it for one file: DROPFILES, the wide name, a null, then one more.
HGLOBAL MakeDrop(const std::wstring& name);

uint32_t PictureAt(int x, int y);
// Red, green and blue of a picture pixel, alpha dropped.
uint32_t PictureRgb(int x, int y);
// How many picture pixels have another red, green and blue than rgb.
int CountPixelsOtherThan(uint32_t rgb);
// A new width x height picture of opaque white, whatever the background colour.
void FreshWhitePicture(int width = 640, int height = 480);
std::wstring MainCaption();
RECT ChildRectInMain(HWND child);
