#pragma once

#include <QImage>

namespace assets {

// Shown before the first round: the name and what to do; `scale` times the
// picture's size.
QImage draw_title_picture(int scale);

} // namespace assets
