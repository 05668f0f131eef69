// Fill With Color, Pick Color and the Magnifier: tools that act once, at a press inside the picture.
#pragma once
#include <windows.h>

#include <cstddef>

#include "document/view_core.h"

// button: 1 left (Color 1), 2 right (Color 2); p is a picture point.
void FillAt(int button, PicturePoint p);
void PickColorAt(int button, PicturePoint p);
// client: the pressed canvas point, which keeps its picture point under the pointer.
void MagnifierClick(int button, POINT client);

// The most points a fill's queue may hold; tests lower it to see the out-of-memory path.
extern size_t g_fillQueueLimit;
