#include "shell/command_line_core.h"

#include <gtest/gtest.h>

namespace {

using Kind = CommandLineAction::Kind;

TEST(CommandLine, DecidesBetweenOpeningAPictureAndCapturing) {
    const std::wstring longName = L"C:\\pictures\\" + std::wstring(288, L'x') + L".bmp";
    struct Case {
        std::vector<std::wstring> args;
        const char* ansi;
        Kind kind;
        std::wstring path;
    } cases[] = {
        {{L"Kolvex.exe"}, "", Kind::None, L""},
        {{L"Kolvex.exe", L"a b.bmp"}, "\"a b.bmp\"", Kind::OpenWide, L"a b.bmp"},
        {{L"Kolvex.exe", L"first.bmp", L"second.bmp"}, "first.bmp second.bmp", Kind::OpenWide, L"first.bmp"},
        {{L"Kolvex.exe", L"/capture"}, "/capture", Kind::Capture, L""},
        {{L"Kolvex.exe", L"-CAPTURE"}, "-CAPTURE", Kind::Capture, L""},
        {{L"Kolvex.exe", L"x.bmp", L"/capture"}, "x.bmp /capture", Kind::Capture, L""},
        {{L"Kolvex.exe", L"screen-capture.png"}, "screen-capture.png", Kind::OpenWide, L"screen-capture.png"},
        {{L"Kolvex.exe", L"C:\\t\\-capture"}, "C:\\t\\-capture", Kind::OpenWide, L"C:\\t\\-capture"},
        {{L"Kolvex.exe", L"/captures"}, "/captures", Kind::OpenWide, L"/captures"},
        {{L"Kolvex.exe", L"/capture"}, nullptr, Kind::OpenWide, L"/capture"}, // no ANSI line: the path is opened
        {{L"Kolvex.exe", longName}, "long", Kind::OpenWide, longName},
    };
    for (const Case& c : cases) {
        const CommandLineAction a = DecideCommandLine(c.args, c.ansi);
        EXPECT_EQ(a.kind, c.kind) << (c.ansi ? c.ansi : "(null)");
        EXPECT_EQ(a.widePath, c.path) << (c.ansi ? c.ansi : "(null)");
    }
}

TEST(CommandLine, FallsBackToTheTrimmedAnsiLineWhenSplittingGaveNothing) {
    const CommandLineAction a = DecideCommandLine({}, " \t\"C:\\my pic.bmp\"\t ");
    EXPECT_EQ(a.kind, Kind::OpenAnsi);
    EXPECT_EQ(a.ansiPath, "C:\\my pic.bmp");
    EXPECT_EQ(TrimAndUnquote("\""), "\"");
    EXPECT_EQ(TrimAndUnquote("  plain  "), "plain");
    EXPECT_EQ(DecideCommandLine({}, "   ").kind, Kind::None);
}

} // namespace
