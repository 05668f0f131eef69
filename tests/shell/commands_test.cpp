// The command table: the settle strength of every command and the commands the house itself carries out.
#include <windows.h>

#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "shell/commands.h"
#include "support/app_fixture.h"
#include "toolbox/tool_actions.h"

namespace {

class Commands : public AppFixture {};

TEST_F(Commands, EachCommandSettlesWithItsStrength) {
    std::vector<int> all = {103, 104, 108, 205, 404};
    std::vector<int> text = {101, 102, 203, 204, 207, 212, 401, 403, 405, 407, 408, 210, 504, 311, 323, 324};
    for (int id = 120; id <= 129; ++id)
        text.push_back(id);
    for (int id : {305, 306, 307, 308, 309, 310, 313, 314, 315})
        text.push_back(id);
    for (int id = 316; id <= 322; ++id)
        text.push_back(id);
    const std::vector<int> none = {201, 202, 301, 302, 303, 402, 406, 507, 601, 602, 603, 701};
    for (int id : all)
        EXPECT_EQ(CommandSettleStrength(id), Settle::All) << id;
    for (int id : text)
        EXPECT_EQ(CommandSettleStrength(id), Settle::Text) << id;
    for (int id : none)
        EXPECT_EQ(CommandSettleStrength(id), Settle::None) << id;
    EXPECT_FALSE(DispatchCommand(999));
    EXPECT_FALSE(DispatchCommand(312)) << "a gap between the zoom and grid items";
}

TEST_F(Commands, DrawOpaqueTogglesTheSelectionModeAndRepaintsBothWindows) {
    SetTool(ToolId::Select);
    for (bool expected : {true, false}) {
        ValidateRect(g_app.canvas, nullptr);
        ValidateRect(g_app.toolBox, nullptr);
        SendMessageW(g_app.main, WM_COMMAND, 406, 0);
        EXPECT_EQ(g_tools.selectionTransparent, expected);
        EXPECT_TRUE(GetUpdateRect(g_app.canvas, nullptr, FALSE));
        EXPECT_TRUE(GetUpdateRect(g_app.toolBox, nullptr, FALSE));
    }
}

TEST_F(Commands, PathAndFuzzySelectCommandsChooseTheirTools) {
    Post(g_app.main, WM_COMMAND, 505);
    EXPECT_EQ(g_tools.currentTool, ToolId::Path);
    EXPECT_EQ(GetStatusText(kStatusMessage), ToolInfoOf(ToolId::Path).description);
    Post(g_app.main, WM_COMMAND, 506);
    EXPECT_EQ(g_tools.currentTool, ToolId::FuzzySelect);
    EXPECT_EQ(g_tools.previousTool, ToolId::Path);
    // Without a path of two anchors, Stroke Path says why it cannot.
    Post(g_app.main, WM_COMMAND, 212);
    EXPECT_EQ(GetStatusText(kStatusMessage), L"Path needs at least 2 points to stroke line.");
}

} // namespace
