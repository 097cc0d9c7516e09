#include "tools/robot.h"

#include "tools/paint_kit.h"
#include "tools/robot_face.h"
#include "tools/robot_wear.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace assets {
namespace {

const QColor ink(34, 30, 46);
const QColor new_metal(80, 168, 232);
const QColor scrap_metal(140, 128, 116);
const QPointF neck(0, -88);

enum class Side { left, right };

// Each mark appears at one stage and stays for the rest of the round.
struct Wear {
    int level = 0;
    bool dented() const { return level >= 1; }
    bool body_cracked() const { return level >= 2; }
    bool patched() const { return level >= 3; }
    bool bruised() const { return level >= 4; }
    bool lamps_failing() const { return level >= 4; }
    bool antenna_lost() const { return level >= 5; }
    bool arm_bandaged() const { return level >= 5; }
    bool panel_open() const { return level >= 6; }
    bool arm_lost() const { return level >= 7; }
    bool face_split() const { return level >= 8; }
    bool head_askew() const { return level >= 9; }
    int smoke_puffs() const { return level >= 4 ? level - 2 : 0; }
};

class RobotArtist {
public:
    RobotArtist(QPainter& painter, const RobotLook& look)
        : p_(painter), look_(look), wear_{look.wear},
          metal_(mix(new_metal, scrap_metal, static_cast<qreal>(look.wear) / max_wear))
    {
    }

    void draw()
    {
        p_.save();
        legs();
        arm(Side::left);
        body();
        if (wear_.arm_lost())
            stump();
        else
            arm(Side::right);
        p_.save();
        if (wear_.head_askew()) {
            p_.translate(neck + QPointF(-5, 4));
            p_.rotate(-13);
            p_.translate(-neck);
        }
        head();
        p_.restore();
        if (wear_.smoke_puffs() > 0)
            draw_smoke(p_, QPointF(36, -140), wear_.smoke_puffs(), (look_.wear - 3) / 6.0);
        debris();
        p_.restore();
    }

private:
    QPen outline(qreal width = 2.4) const
    {
        return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    }

    QBrush shiny(const QRectF& box) const
    {
        QLinearGradient gradient(box.topLeft(), box.bottomRight());
        gradient.setColorAt(0, metal_.lighter(135));
        gradient.setColorAt(0.45, metal_);
        gradient.setColorAt(1, metal_.darker(130));
        return gradient;
    }

    void legs()
    {
        p_.setPen(outline());
        for (const qreal side : {-1.0, 1.0}) {
            p_.setBrush(metal_.darker(125));
            p_.drawRoundedRect(QRectF(side * 20 - 8, -28, 16, 22), 4, 4);
            p_.setBrush(QColor(70, 70, 84));
            p_.drawRoundedRect(QRectF(side * 20 - 15, -11, 30, 11), 5, 5);
        }
    }

    void arm(Side side)
    {
        const qreal sign = side == Side::left ? 1 : -1;
        const qreal swing = look_.pose == RobotPose::struck ? (side == Side::left ? 75 : 125) : 12;
        p_.save();
        p_.translate(-sign * 44, -80);
        p_.rotate(sign * swing);
        const QRectF limb(-7, -4, 14, 40);
        p_.setPen(outline());
        p_.setBrush(shiny(limb));
        p_.drawRoundedRect(limb, 6, 6);
        if (side == Side::left && wear_.arm_bandaged())
            bandage(limb);
        p_.setBrush(QColor(70, 70, 84));
        p_.drawEllipse(QPointF(0, 42), 9, 9);
        p_.restore();
    }

    void bandage(const QRectF& limb)
    {
        p_.save();
        p_.setPen(QPen(QColor(170, 170, 160), 1));
        p_.setBrush(QColor(250, 250, 240));
        for (int i = 0; i < 3; ++i)
            p_.drawRect(QRectF(limb.left() - 1, limb.top() + 12 + 6 * i, limb.width() + 2, 5));
        p_.restore();
    }

    void stump()
    {
        p_.save();
        p_.setPen(outline());
        p_.setBrush(metal_.darker(115));
        p_.drawRoundedRect(QRectF(40, -84, 12, 14), 3, 3);
        const QColor wires[] = {QColor(230, 60, 50), QColor(250, 200, 40), QColor(60, 120, 230)};
        for (int i = 0; i < 3; ++i) {
            QPainterPath wire(QPointF(50, -80 + 4 * i));
            wire.cubicTo(58, -86 + 6 * i, 60, -70 + 5 * i, 66 - 3 * i, -74 + 8 * i);
            p_.setPen(QPen(wires[i], 2.2, Qt::SolidLine, Qt::RoundCap));
            p_.setBrush(Qt::NoBrush);
            p_.drawPath(wire);
        }
        draw_spark(p_, QPointF(66, -78), 9);
        p_.restore();
    }

    void body()
    {
        const QRectF torso(-42, -88, 84, 62);
        p_.setPen(outline());
        p_.setBrush(shiny(torso));
        p_.drawRoundedRect(torso, 11, 11);
        chest();
        if (wear_.body_cracked())
            draw_crack(p_, {{42, -70}, {33, -64}, {36, -57}, {26, -50}, {29, -42}});
        if (wear_.panel_open()) {
            draw_soot(p_, QPointF(-28, -36), 16);
            draw_soot(p_, QPointF(30, -82), 12);
        }
        if (wear_.face_split()) {
            draw_dent(p_, QPointF(-30, -56), 16, metal_);
            draw_crack(p_, {{-42, -48}, {-34, -44}, {-36, -37}, {-27, -31}});
        }
    }

    void chest()
    {
        const QRectF panel(-24, -78, 48, 30);
        if (wear_.panel_open()) {
            p_.setBrush(QColor(30, 28, 36));
            p_.drawRoundedRect(panel, 4, 4);
            p_.setPen(QPen(QColor(230, 60, 50), 2));
            p_.drawLine(QPointF(-16, -72), QPointF(6, -55));
            p_.setPen(QPen(QColor(250, 200, 40), 2));
            p_.drawLine(QPointF(10, -74), QPointF(-6, -52));
            p_.save();
            p_.translate(panel.bottomLeft());
            p_.rotate(38);
            p_.translate(-panel.bottomLeft());
            chest_door(panel);
            p_.restore();
            return;
        }
        chest_door(panel);
    }

    void chest_door(const QRectF& panel)
    {
        p_.setPen(outline(2));
        p_.setBrush(QColor(236, 240, 246));
        p_.drawRoundedRect(panel, 4, 4);
        const QColor lamps[] = {QColor(240, 70, 70), QColor(250, 200, 40), QColor(70, 200, 90)};
        for (int i = 0; i < 3; ++i) {
            const bool lit = !wear_.lamps_failing() || i == 0;
            p_.setPen(outline(1.4));
            p_.setBrush(lit ? lamps[i] : QColor(90, 90, 100));
            p_.drawEllipse(QPointF(panel.left() + 11 + 13 * i, panel.top() + 10), 4.5, 4.5);
        }
        p_.setPen(outline(1.6));
        for (int i = 0; i < 3; ++i)
            p_.drawLine(QPointF(panel.left() + 8, panel.top() + 19 + 4 * i),
                        QPointF(panel.right() - 8, panel.top() + 19 + 4 * i));
    }

    void head()
    {
        antenna();
        p_.setPen(outline());
        p_.setBrush(QColor(70, 70, 84));
        p_.drawRect(QRectF(-10, -94, 20, 8));
        for (const qreal side : {-1.0, 1.0})
            p_.drawEllipse(QPointF(side * 40, -116), 5, 8);
        const QRectF skull(-38, -142, 76, 52);
        p_.setBrush(shiny(skull));
        p_.drawRoundedRect(skull, 13, 13);
        p_.setPen(Qt::NoPen);
        p_.setBrush(QColor(255, 255, 255, 120));
        p_.drawRoundedRect(QRectF(-30, -138, 26, 6), 3, 3);

        if (wear_.dented())
            draw_dent(p_, QPointF(-18, -132), 24, metal_);
        if (wear_.bruised())
            draw_crack(p_, {{38, -128}, {30, -124}, {33, -118}, {26, -112}});
        draw_face(p_, face_for(look_), wear_.bruised());
        if (wear_.face_split())
            draw_crack(p_, {{-6, -142}, {-2, -134}, {-8, -128}, {-3, -121}, {-7, -112}});
        if (wear_.patched())
            draw_plaster(p_, QPointF(22, -134), 10);
        if (wear_.dented() && look_.pose == RobotPose::rest)
            draw_sweat_drop(p_, QPointF(-47, -134));
    }

    void antenna()
    {
        p_.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p_.setBrush(Qt::NoBrush);
        if (wear_.antenna_lost()) {
            p_.drawLine(QPointF(0, -140), QPointF(0, -149));
            draw_spark(p_, QPointF(0, -152), 7);
            return;
        }
        QPainterPath rod(QPointF(0, -140));
        const QPointF tip = wear_.patched() ? QPointF(10, -160) : QPointF(0, -160);
        rod.lineTo(0, -151);
        rod.lineTo(tip);
        p_.drawPath(rod);
        antenna_ball(tip);
    }

    void antenna_ball(QPointF centre)
    {
        p_.setPen(outline(2));
        p_.setBrush(QColor(240, 70, 70));
        p_.drawEllipse(centre, 5.5, 5.5);
    }

    void debris()
    {
        if (wear_.antenna_lost())
            antenna_ball(QPointF(-62, -6));
        if (wear_.arm_lost())
            draw_bolt(p_, QPointF(56, -5), 5);
        if (wear_.face_split()) {
            draw_bolt(p_, QPointF(-72, -4), 4);
            draw_bolt(p_, QPointF(66, -30), 3.5);
        }
    }

    QPainter& p_;
    const RobotLook look_;
    const Wear wear_;
    const QColor metal_;
};

} // namespace

void draw_robot(QPainter& painter, const RobotLook& look)
{
    RobotArtist(painter, look).draw();
}

} // namespace assets
