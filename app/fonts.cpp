#include "app/fonts.h"

#include <QStringList>

QFont japanese_font(int pixel_size, bool bold)
{
    QFont font;
    // IPA P Gothic first; the others are common CJK faces to fall back on.
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                      QStringLiteral("TakaoPGothic"), QStringLiteral("Droid Sans Fallback")});
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    return font;
}
