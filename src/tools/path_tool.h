// The Bezier path tool.
#pragma once

// Anchors of the path being built.
int PathAnchorCount();
