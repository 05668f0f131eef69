// The File commands, the question about unsaved changes, the wallpaper and the file association.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "files/image_load.h"

// Asked before the picture is replaced while modified; false means the user cancelled (or the save failed).
// Its "Yes" settles the pending edits through g_settleBeforeSave before anything is written.
[[nodiscard]] bool AskToSaveChanges();
// Registered by the shell at start-up; null settles nothing.
extern void (*g_settleBeforeSave)();
// Command 101: a white 640 x 480 picture, after the question.
void NewPicture();
// Command 102: the Open dialog, after the question.
void OpenPicture();
// Command 103: saves to the document's path when the program can write that format, else asks for a name.
[[nodiscard]] bool SaveDocument(HWND owner);
// Command 104: the Save As dialog; false when cancelled or the save failed.
[[nodiscard]] bool SaveDocumentAs(HWND owner);
// Commands 105 and 106.
void SetWallpaper(bool tiled);
// Command 503.
void RegisterBmpAssociation();
// Opens a picture named outside the Open dialog (command line, dropped file); a file that cannot be read
// leaves the picture and says so in the status bar.
bool OpenPictureFile(const std::wstring& path);
// The same for a command-line path in the ANSI code page.
bool OpenPictureFileAnsi(const std::string& path);
// Says in status part 0 what a load of path ended with: why it was refused, or that the file ended early;
// nothing after a clean load.
void ReportOpenFailure(const std::wstring& path, const LoadOutcome& outcome);

// The common dialogs and the registry call the commands use; tests put their own in front of the system's.
using FileDialogFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
extern FileDialogFn g_getOpenFileName;
extern FileDialogFn g_getSaveFileName;
using RegCreateKeyFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, const LPSECURITY_ATTRIBUTES, PHKEY,
                                        LPDWORD);
extern RegCreateKeyFn g_regCreateKey;
