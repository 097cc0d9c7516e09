#pragma once

#include <QImage>
#include <QRect>

#include <xcb/xcb.h>

// The pixels of a window's area as the X server holds them; a null image if
// they cannot be read. Whole window when no area is given.
QImage capture_window(xcb_connection_t* connection, xcb_window_t window, QRect area = {});
