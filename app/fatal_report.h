#pragma once

#include <QString>

// Tells the player why the game must end: on standard error and in a message box.
void report_fatal(const QString& message);
