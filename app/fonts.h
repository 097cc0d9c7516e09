#pragma once

#include <QFont>

// The proportional Japanese face of the window's design, sized in pixels so
// the layout does not depend on the screen's DPI setting.
QFont japanese_font(int pixel_size, bool bold);
