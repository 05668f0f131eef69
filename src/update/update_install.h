// The update's files and programs: the temporary folder and its leftovers, the program's own path, starting an
// installer and replacing the program. Worker thread; every name is wide, so long and non-ANSI folders work.
#pragma once
#include <windows.h>

#include <string>

#include "update/update_job.h"
#include "update/update_verify.h"

// The temporary folder, ending in a separator.
std::wstring TempFolder();
// Deletes, in the temporary folder, earlier downloads (plain files named as IsUpdateDownloadName says) last
// written more than 24 hours ago, and nothing else.
void RemoveOldDownloads();
// The running program's full path, however long.
std::wstring ProgramPath();

// Starts the verified installer (verified is its open handle, closed here) and asks the owner to close, or
// reports why not. Ends the check either way.
void StartInstaller(UpdateJob& job, const DownloadedFile& file, HANDLE verified);
// Puts the verified download in place of the program, starts it and, once it runs, asks the owner to close;
// on any failure restores the program and reports it. Ends the check either way.
void ReplaceProgram(UpdateJob& job, const DownloadedFile& file, HANDLE verified);

// Ends the check: closes the window, then, with a text, asks the main window for a box.
void FinishCheck(UpdateJob& job, const char* text = nullptr, const char* caption = nullptr, UINT icon = 0);
