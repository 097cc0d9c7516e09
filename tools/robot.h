#pragma once

#include <QPainter>

namespace assets {

enum class RobotPose { rest, struck };

inline constexpr int max_wear = 9;

struct RobotLook {
    int wear = 0; // 0 = brand new .. max_wear = nearly scrap
    RobotPose pose = RobotPose::rest;
};

// Gonta, the sparring robot. Drawn with its feet centred on the painter's
// origin, about 165 px tall, facing the viewer.
void draw_robot(QPainter& painter, const RobotLook& look);

} // namespace assets
