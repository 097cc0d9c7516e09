#pragma once

#include "tools/robot.h"

#include <QPainter>

namespace assets {

enum class Face { happy, calm, worried, dizzy, knocked_out, wincing };

// The face tells the story: cheerful when new, groggy near the end, screwed
// up whenever a blow lands.
Face face_for(const RobotLook& look);

// Eyes and mouth in head coordinates (the head spans x -38..38, y -140..-90).
void draw_face(QPainter& painter, Face face, bool bruised);

} // namespace assets
