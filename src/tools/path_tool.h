// The Bezier path tool: anchors added by clicks and drags on the canvas, drawn as an overlay, and the four path
// actions that turn the path into a selection, a stroke or a mosaic, or clear it.
#pragma once
#include "tools/tool_row.h"

// Anchors of the path being built.
int PathAnchorCount();
// A path exists: it has anchors, whether still being built, closed or finished.
bool IsPathInProgress();
// Removes the last anchor and repaints; false when there is none.
bool RemoveLastPathAnchor();

// Enter with a usable path: the action of the tool's path mode. Nothing unless the Path tool is current.
void RunPathAction();
// Draws the path into the picture with the line width in the colour of the last drag's button (one undo level).
// Needs 2 anchors.
void StrokePath();
// Pixelates the area the path encloses with blocks of blockSize; with fewer than 2 anchors only says so.
void PathMosaic(int blockSize);
// Cuts the enclosed area out as a transparent free-form selection with the Free-Form Select tool current; with
// fewer than 2 anchors only says so.
void PathToSelection();
// Forgets the path and says so.
void ClearPath();

extern const ToolRow kPathRow;
