// Commands that the tools carry out.
#pragma once

// Command 212: strokes the path, or says why it cannot.
void StrokePathCommand();
// Commands 505 and 506.
void ChoosePathTool();
void ChooseFuzzySelectTool();
