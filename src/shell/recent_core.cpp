#include "shell/recent_core.h"

#include <algorithm>

namespace {

// When the path from the next-to-last separator on is no longer than this, the menu shows the parent folder too.
constexpr std::size_t kTailWithParent = 41;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Simple upper-case mapping of the scripts file names mostly use. A letter it misses only makes two spellings of
// one file count as two entries.
unsigned long UpperCase(wchar_t ch) {
    const unsigned long c = static_cast<unsigned long>(ch);
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c >= 0xE0 && c <= 0xFE) return c == 0xF7 ? c : c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17E) {
        // Dotted and dotless i, kra and n-apostrophe have no partner in this block.
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149) return c;
        const bool upperIsOdd = (c >= 0x139 && c <= 0x148) || c >= 0x179;
        const bool lower = (c % 2 == 1) != upperIsOdd;
        return lower ? c - 1 : c;
    }
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

} // namespace

bool SamePathIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return UpperCase(x) == UpperCase(y); });
}

bool RemoveRecentPath(std::vector<std::wstring>* list, std::wstring_view path) {
    const auto it =
        std::find_if(list->begin(), list->end(), [&](const std::wstring& e) { return SamePathIgnoringCase(e, path); });
    if (it == list->end()) return false;
    list->erase(it);
    return true;
}

void PushRecentPath(std::vector<std::wstring>* list, const std::wstring& path) {
    RemoveRecentPath(list, path);
    list->insert(list->begin(), path);
    if (list->size() > static_cast<std::size_t>(kMaxRecentFiles)) list->resize(kMaxRecentFiles);
}

bool IsAbsolutePath(std::wstring_view path) {
    if (path.size() < 3) return false;
    const wchar_t drive = path[0];
    const bool letter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    if (letter && path[1] == L':' && IsSeparator(path[2])) return true;
    return IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

std::wstring RecentDisplayForm(std::wstring_view path) {
    if (path.size() <= kRecentDisplayWhole) return std::wstring(path);
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring_view::npos || last < 4) return std::wstring(path);
    std::size_t tail = last;
    const std::size_t parent = path.find_last_of(L"\\/", last - 1);
    if (parent != std::wstring_view::npos && path.size() - parent <= kTailWithParent) tail = parent;
    std::wstring shown(path.substr(0, 3));
    shown += L"...\\";
    shown += path.substr(tail + 1);
    return shown;
}

std::wstring RecentMenuLabel(int index, std::wstring_view path) {
    std::wstring label = index == 9 ? L"1&0  " : L"&" + std::to_wstring(index + 1) + L"  ";
    const size_t prefix = label.size();
    // A menu takes "&" as the mark of its access key; "&&" shows one, so a path shows as written.
    for (wchar_t c : RecentDisplayForm(path)) {
        label += c;
        if (c == L'&') label += L'&';
    }
    if (label.size() > kMaxRecentLabelChars) {
        label.resize(kMaxRecentLabelChars);
        // Never leave half of a UTF-16 surrogate pair, nor half of a doubled "&", at the cut.
        const unsigned long end = static_cast<unsigned long>(label.back());
        if (end >= 0xD800 && end <= 0xDBFF) label.pop_back();
        size_t ampersands = 0;
        for (size_t i = label.size(); i > prefix && label[i - 1] == L'&'; --i)
            ++ampersands;
        if (ampersands % 2) label.pop_back();
    }
    return label;
}
