// The keyboard shortcuts reference: one fixed ANSI text, every line ending in CR LF.
#pragma once
#include <string>

inline constexpr int kShortcutsBannerWidth = 63;
inline constexpr int kShortcutsKeyColumn = 26;

// The whole reference text, built once.
const std::string& ShortcutsReferenceText();
