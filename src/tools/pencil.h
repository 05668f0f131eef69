// The pencil: 1-pixel Bresenham lines written straight into the pixels, or a round GDI stroke when wider.
#pragma once
#include "document/view_core.h"

// button: 1 left (foreground colour), 2 right (background colour). Points are picture points.
void PencilDot(int button, PicturePoint p);
void PencilSegment(int button, PicturePoint from, PicturePoint to);
