// The modal "Upload to SFTP Server" dialog: profiles, server details, the remote name and format, and Upload,
// which renders the picture and hands it to an upload job. UI thread only.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "sftp/sftp_profiles.h"

constexpr wchar_t kSftpDialogClass[] = L"KolvexSftpClass";
constexpr int kSftpProfileId = 2000, kSftpHostId = 2001, kSftpPortId = 2002, kSftpUserId = 2003, kSftpPasswordId = 2004,
              kSftpSavePasswordId = 2005, kSftpKeyFileId = 2006, kSftpBrowseId = 2007, kSftpRemoteDirId = 2008,
              kSftpFileNameId = 2009, kSftpFormatId = 2010, kSftpStatusId = 2011, kSftpSaveId = 2012,
              kSftpDeleteId = 2013;

// Command 108: settles the picture, loads the profiles and runs the dialog until it closes.
void ShowSftpUploadDialog(HWND owner);
LRESULT CALLBACK SftpDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The profile's values in the fields; the file name, when there is one, takes the profile's format extension.
void ShowSftpProfile(HWND dialog, const SftpProfile& profile);
// A profile of that name from the fields, each cut to its field's size, the port 22 unless it is 1..65535.
SftpProfile ReadSftpProfile(HWND dialog, std::wstring_view name);
// The profile names in list order, the one equal to name (else the first) selected, and name in the edit field.
void FillProfileList(HWND dialog, std::wstring_view name);
// The default remote file name for a format: the document's name, or one made from the time.
std::wstring MakeUploadFileName(int formatIndex);

// The dialog's edit fields: Ctrl+A, C, V, X, Z and Ctrl+Backspace, also under a Korean input method.
LRESULT CALLBACK SftpEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Deletes the selection, or else the word before the caret, as one step that Ctrl+Z undoes.
void DeletePreviousWord(HWND edit);

// Shared by the dialog's files.
std::wstring DialogItemText(HWND dialog, int id);
void SubclassSftpEdits(HWND dialog);
bool SftpPreTranslate(HWND dialog, MSG& msg);
void OnSftpUpload(HWND dialog);
int SelectedFormat(HWND dialog);
void SetSftpStatus(HWND dialog, const std::wstring& text);
int SftpMessageBox(HWND dialog, const std::wstring& text, const wchar_t* caption, UINT flags, int focusId);
