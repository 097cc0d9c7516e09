#pragma once

#include <QString>

// Whether SDL's disk audio driver wrote anything but silence to `output`
// so far; the game sounds only on hits.
bool anything_sounded(const QString& output);
