#pragma once

#include <QWidget>

// Makes SIGTERM and SIGINT close the window as the close box would, so the
// sounds are released and the program exits normally.
void close_on_termination_signals(QWidget& window);
