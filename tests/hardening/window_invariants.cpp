#include "window_invariants.h"

#include "game_window.h"

WindowInvariants::WindowInvariants(GameWindow& window)
    : form_(window.form())
    , hit_caption_(window.control<QLabel>(layout::Label4))
    , bar_(window.control<Shape>(layout::Shape3))
    , caption_before_(hit_caption_.text())
{
}

QString WindowInvariants::check()
{
    const int hits = form_.round_state().hit_count;
    const QString caption = hit_caption_.text();
    const float width = bar_.widthF();
    QString broken;
    if (hits < 0 || hits > 200)
        broken = QStringLiteral("hit count %1").arg(hits);
    else if (width < 1 || width != float(201 - hits))
        broken = QStringLiteral("bar %1 px wide after %2 hits").arg(width).arg(hits);
    else if (bar_.width() != int(width))
        broken = QStringLiteral("bar drawn %1 px wide, set to %2").arg(bar_.width()).arg(width);
    else if (hits > 0 && caption != QString::number(hits))
        broken = QStringLiteral("Label4 shows %1 after %2 hits").arg(caption).arg(hits);
    // Start resets the count, not the caption: it keeps the last round's until the first hit.
    else if (hits == 0 && caption != caption_before_)
        broken = QStringLiteral("Label4 went from %1 to %2 without a hit").arg(caption_before_, caption);
    else if (hits > 0 && bar_.look().fill != QColor(hits, 255 - hits, 0))
        broken = QStringLiteral("bar colour %1 after %2 hits").arg(bar_.look().fill->name()).arg(hits);
    caption_before_ = caption;
    return broken;
}
