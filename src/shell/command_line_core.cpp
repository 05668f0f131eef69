#include "shell/command_line_core.h"

static wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool IsCaptureSwitch(std::wstring_view arg) {
    constexpr std::wstring_view kName = L"capture";
    if (arg.size() != kName.size() + 1 || (arg[0] != L'/' && arg[0] != L'-')) return false;
    for (size_t i = 0; i < kName.size(); ++i)
        if (Lower(arg[i + 1]) != kName[i]) return false;
    return true;
}

std::string TrimAndUnquote(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    if (s.size() > 1 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return std::string(s);
}

CommandLineAction DecideCommandLine(const std::vector<std::wstring>& args, const char* ansi) {
    CommandLineAction action;
    if (ansi) {
        for (size_t i = 1; i < args.size(); ++i) {
            if (IsCaptureSwitch(args[i])) {
                action.kind = CommandLineAction::Kind::Capture;
                return action;
            }
        }
    }
    if (args.size() > 1) {
        action.kind = CommandLineAction::Kind::OpenWide;
        action.widePath = args[1];
        return action;
    }
    if (ansi && *ansi) {
        action.ansiPath = TrimAndUnquote(ansi);
        if (!action.ansiPath.empty()) action.kind = CommandLineAction::Kind::OpenAnsi;
    }
    return action;
}
