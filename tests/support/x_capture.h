#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

// The pixels of a window's area as the X server holds them; a null image if
// they cannot be read. Whole window when no area is given.
QImage capture_window(xcb_connection_t* connection, xcb_window_t window, QRect area = {});

// Asks the window manager of `display` to make `window` full screen, as a
// desktop's key binding or a pager would.
void request_full_screen(const QString& display, xcb_window_t window);

// Whether a window manager has taken charge of the screen's windows.
bool has_window_manager(xcb_connection_t* connection);
