// What the program does with its command line: open one picture, start a screen snip, or nothing.
#pragma once
#include <string>
#include <string_view>
#include <vector>

struct CommandLineAction {
    enum class Kind { None, OpenWide, OpenAnsi, Capture } kind = Kind::None;
    std::wstring widePath; // OpenWide
    std::string ansiPath;  // OpenAnsi, in the ANSI code page
};

// args: the split wide command line, program name first. ansi: the entry point's ANSI command line
// (program name excluded), null when the entry point had none. The capture switch counts only as a whole
// argument, so a file named "screen-capture.png" opens as a picture.
CommandLineAction DecideCommandLine(const std::vector<std::wstring>& args, const char* ansi);

bool IsCaptureSwitch(std::wstring_view arg);
// Spaces and tabs trimmed, then one pair of enclosing double quotes removed.
std::string TrimAndUnquote(std::string_view s);
