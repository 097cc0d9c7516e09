#pragma once

#include <QImage>

namespace assets {

// Shown before the first round: the name and what to do.
QImage draw_title_picture();

} // namespace assets
