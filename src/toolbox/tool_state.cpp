#include "toolbox/tool_state.h"

ToolOptions g_tools;

static const ToolInfo kTools[kToolCount] = {
    {L"Free-Form Select (F)", L"Selects a free-form part of the picture to move, copy, or edit. [F]", nullptr},
    {L"Select (S)", L"Selects a rectangular part of the picture to move, copy, or edit. [S]", nullptr},
    {L"Eraser / Color Eraser (E)", L"Erases a portion of the picture, using the selected eraser shape. [E]", nullptr},
    {L"Fill With Color (G)", L"Fills an area with the current drawing color. [G]", nullptr},
    {L"Pick Color (I, K)", L"Picks up a color from the picture for drawing. [I, K]", nullptr},
    {L"Magnifier (Z, M)", L"Changes the magnification. [Z, M]", nullptr},
    {L"Pencil (P)", L"Draws a free-form line one pixel wide. [P]", nullptr},
    {L"Brush / Ink (B)", L"Brush or ink pen (pressure, shading, smooth curves). [B]", nullptr},
    {L"Airbrush (A)", L"Draws using an airbrush of the selected size. [A]", nullptr},
    {L"Text (T)", L"Inserts text into the picture. [T]", nullptr},
    {L"Line / Arrow (L)", L"Draws a straight line or arrow with the selected line width. [L]", nullptr},
    {L"Curve (C, V)", L"Draws a curved line with the selected line width. [C, V]", nullptr},
    {L"Rectangle (R)", L"Draws a rectangle with the selected fill style and line width. [R]", nullptr},
    {L"Polygon (Y)", L"Draws a polygon with the selected fill style and line width. [Y]", nullptr},
    {L"Ellipse (O)", L"Draws an ellipse with the selected fill style and line width. [O]", nullptr},
    {L"Rounded Rectangle (U)", L"Draws a rounded rectangle with the selected fill style and line width. [U]", nullptr},
    {L"Calvore Path / Pen Tool (Shift+P, P)", L"Calvore Path Tool: click to add points, drag for curves. [Shift+P, P]",
     L"Calvore Path / Pen tool (Create paths, then [Select], [Stroke], or [Mosaic]). [Shift+P, P]"},
    {L"Fuzzy Select / Magic Wand (W)",
     L"Tumo Fuzzy Select (Magic Wand): Selects a contiguous region of similar colors. [W]", nullptr},
};

const ToolInfo& ToolInfoOf(ToolId tool) {
    const int i = static_cast<int>(tool);
    return kTools[i >= 0 && i < kToolCount ? i : static_cast<int>(ToolId::Pencil)];
}
