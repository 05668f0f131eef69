// The rules of the recent-files list that need no system: its order and length, which paths it accepts,
// and how an entry is labelled in the menu.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

constexpr int kMaxRecentFiles = 10;
constexpr std::size_t kMaxRecentLabelChars = 291;
// Paths up to this length are shown whole in the menu.
constexpr std::size_t kRecentDisplayWhole = 48;

// Paths compare as file names do: letters of Latin, Greek and Cyrillic script without regard to case,
// everything else exactly.
bool SamePathIgnoringCase(std::wstring_view a, std::wstring_view b);
// Moves or inserts path to the front (in the spelling given) and keeps the kMaxRecentFiles most recent.
void PushRecentPath(std::vector<std::wstring>* list, const std::wstring& path);
// Removes the first entry equal to path without regard to case; false when there is none.
bool RemoveRecentPath(std::vector<std::wstring>* list, std::wstring_view path);
// A drive path ("C:\..." or "C:/...") or a UNC or device path ("\\server\share", "\\?\C:\...").
bool IsAbsolutePath(std::wstring_view path);
// The path as the menu shows it: whole up to kRecentDisplayWhole characters, else the drive, "...\", and the
// file name with its parent folder when that fits.
std::wstring RecentDisplayForm(std::wstring_view path);
// "&1  " .. "&9  ", "1&0  " for index 9, then the display form; at most kMaxRecentLabelChars characters.
std::wstring RecentMenuLabel(int index, std::wstring_view path);
