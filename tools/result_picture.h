#pragma once

#include <QImage>

namespace assets {

// How a round went, from a shrug to a perfect score; each earns a louder picture.
enum class Verdict { keep_going, good, great, perfect };

// `scale` times the picture's size.
QImage draw_result_picture(Verdict verdict, int scale);

} // namespace assets
