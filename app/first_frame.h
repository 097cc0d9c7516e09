#pragma once

#include <QWidget>

#include <functional>

// Calls `then` once, from the event loop, after the shown top-level `window`
// has first been drawn on the screen.
void after_first_frame(QWidget& window, std::function<void()> then);
