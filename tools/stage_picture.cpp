#include "tools/stage_picture.h"

#include "tools/paint_kit.h"
#include "tools/robot.h"

#include <QLinearGradient>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>

namespace assets {
namespace {

struct Sky {
    QColor top;
    QColor horizon;
};

// From a calm morning to a blood-red night as the robot falls apart.
constexpr std::array<std::array<int, 6>, stage_count> skies{{
    {110, 190, 245, 220, 242, 255},
    {60, 196, 200, 205, 245, 235},
    {120, 200, 110, 225, 245, 200},
    {200, 210, 80, 250, 245, 195},
    {245, 185, 60, 255, 232, 175},
    {240, 140, 60, 255, 212, 160},
    {225, 95, 75, 255, 190, 160},
    {185, 60, 100, 245, 160, 165},
    {105, 45, 110, 215, 110, 130},
    {35, 18, 45, 145, 45, 60},
}};

const std::array<QString, stage_count> blow_sounds{
    QStringLiteral("ドカッ！"), QStringLiteral("バキッ！"), QStringLiteral("ゴン！"),
    QStringLiteral("ボコッ！"), QStringLiteral("ガツン！"), QStringLiteral("ドゴッ！"),
    QStringLiteral("バシーン！"), QStringLiteral("ズドン！"), QStringLiteral("ドカーン！"),
    QStringLiteral("ズガガン！"),
};

constexpr qreal ground_y = 182;
constexpr QPointF robot_spot(140, 186);
constexpr QPointF impact_point(100, 92);

Sky sky_of(int stage)
{
    const auto& c = skies[static_cast<std::size_t>(stage - 1)];
    return {QColor(c[0], c[1], c[2]), QColor(c[3], c[4], c[5])};
}

void backdrop(QPainter& painter, const Sky& sky)
{
    QLinearGradient air(0, 0, 0, ground_y);
    air.setColorAt(0, sky.top);
    air.setColorAt(1, sky.horizon);
    painter.fillRect(QRectF(0, 0, picture_width, ground_y), air);

    QLinearGradient floor(0, ground_y, 0, picture_height);
    floor.setColorAt(0, QColor(120, 95, 80));
    floor.setColorAt(1, QColor(80, 60, 52));
    painter.fillRect(QRectF(0, ground_y, picture_width, picture_height - ground_y), floor);
    painter.setPen(QPen(QColor(60, 42, 36), 2));
    painter.drawLine(QPointF(0, ground_y), QPointF(picture_width, ground_y));
}

void shadow(QPainter& painter, qreal x)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70));
    painter.drawEllipse(QPointF(x, robot_spot.y() - 1), 48, 6);
}

// Qt fills a radial gradient with vector code of each CPU's own (on ARM an
// estimated square root), which moved pixels by one between machines; this
// glow is worked out here in plain doubles, for each device pixel, and laid
// on as a picture.
QImage glow(int scale)
{
    struct Stop {
        double at;
        std::array<int, 4> argb;
    };
    constexpr std::array<Stop, 3> stops{{{0, {230, 255, 255, 230}}, {0.5, {90, 255, 250, 200}}, {1, {0, 255, 250, 200}}}};
    constexpr double radius = 150;
    QImage layer(picture_width * scale, picture_height * scale, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < layer.height(); ++y) {
        auto* const row = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const double dx = (x + 0.5) / scale - impact_point.x();
            const double dy = (y + 0.5) / scale - impact_point.y();
            const double t = std::min(1.0, std::sqrt(dx * dx + dy * dy) / radius);
            const Stop& from = stops[t < stops[1].at ? 0 : 1];
            const Stop& to = stops[t < stops[1].at ? 1 : 2];
            const double along = (t - from.at) / (to.at - from.at);
            std::array<int, 4> argb{};
            for (std::size_t i = 0; i < argb.size(); ++i)
                argb[i] = static_cast<int>(std::lround(from.argb[i] + (to.argb[i] - from.argb[i]) * along));
            const auto premultiplied = [alpha = argb[0]](int channel) { return (channel * alpha + 127) / 255; };
            row[x] = qRgba(premultiplied(argb[1]), premultiplied(argb[2]), premultiplied(argb[3]), argb[0]);
        }
    }
    return layer;
}

void flash(QPainter& painter, int scale)
{
    painter.save();
    painter.resetTransform(); // one layer pixel to one device pixel
    painter.drawImage(0, 0, glow(scale));
    painter.restore();

    painter.setPen(QPen(QColor(255, 255, 255, 200), 2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 18; ++i) {
        const qreal angle = qDegreesToRadians(20.0 * i + 7);
        const QPointF direction(qCos(angle), qSin(angle));
        painter.drawLine(impact_point + 95 * direction, impact_point + 170 * direction);
    }
}

void impact_star(QPainter& painter)
{
    painter.setPen(QPen(QColor(230, 80, 20), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 225, 40));
    painter.drawPath(star_path(impact_point, 42, 20, 11, 8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(star_path(impact_point, 20, 10, 11, 8));
}

void boxing_glove(QPainter& painter)
{
    painter.save();
    painter.translate(impact_point + QPointF(-20, 4));
    painter.rotate(-6);
    const QColor ink(34, 30, 46);
    painter.setPen(QPen(ink, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(250, 250, 245));
    painter.drawRoundedRect(QRectF(-62, -9, 34, 18), 4, 4);
    painter.setBrush(QColor(215, 35, 45));
    painter.drawRoundedRect(QRectF(-34, -19, 36, 38), 16, 16);
    painter.drawEllipse(QPointF(-16, 15), 11, 7);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 110));
    painter.drawEllipse(QPointF(-14, -10), 10, 4);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i)
        painter.drawLine(QPointF(-70 - 6 * i, -16 + 14 * i), QPointF(-98 - 8 * i, -16 + 14 * i));
    painter.restore();
}

void dust(QPainter& painter)
{
    painter.setPen(QPen(QColor(140, 120, 110), 1));
    painter.setBrush(QColor(240, 235, 225, 220));
    for (int i = 0; i < 3; ++i)
        painter.drawEllipse(QPointF(robot_spot.x() - 34 - 13 * i, robot_spot.y() - 5 - 2 * i), 8 - i, 6 - i);
}

void blow_word(QPainter& painter, int stage)
{
    painter.save();
    painter.translate(216, 26);
    painter.rotate(-10);
    const QString& word = blow_sounds[static_cast<std::size_t>(stage - 1)];
    const int size = word.size() > 4 ? 19 : 24;
    QLinearGradient fill(0, -size / 2.0, 0, size / 2.0);
    fill.setColorAt(0, QColor(255, 240, 80));
    fill.setColorAt(1, QColor(255, 120, 30));
    draw_caption(painter, word, size, QPointF(0, 0), fill, {QColor(120, 20, 20), 4});
    painter.restore();
}

void stage_badge(QPainter& painter, int stage)
{
    const QRectF badge(5, 5, stage < 10 ? 86 : 96, 25);
    painter.setPen(QPen(QColor(255, 255, 255, 230), 2));
    painter.setBrush(QColor(30, 30, 60, 200));
    painter.drawRoundedRect(badge, 12, 12);
    const QPainterPath label = text_path(QStringLiteral("STAGE %1").arg(stage), 17, badge.center());
    fill_outlined(painter, label, QColor(255, 230, 90), {QColor(30, 30, 60), 2});
}

} // namespace

QImage draw_stage_picture(int stage, StageFrame frame, int scale)
{
    Canvas canvas(scale);
    QPainter& painter = canvas.painter();
    backdrop(painter, sky_of(stage));

    const bool impact = frame == StageFrame::impact;
    if (impact)
        flash(painter, scale);
    const qreal x = robot_spot.x() + (impact ? 16 : 0);
    shadow(painter, x);
    painter.save();
    painter.translate(x, robot_spot.y());
    if (impact)
        painter.rotate(9);
    draw_robot(painter, {stage - 1, impact ? RobotPose::struck : RobotPose::rest});
    painter.restore();

    if (impact) {
        dust(painter);
        impact_star(painter);
        boxing_glove(painter);
        blow_word(painter, stage);
    }
    stage_badge(painter, stage);
    return canvas.finish();
}

} // namespace assets
