#include "tools/picture_catalogue.h"

#include "tools/result_picture.h"
#include "tools/stage_picture.h"
#include "tools/title_picture.h"

namespace assets {

QImage draw_numbered_picture(int number, int scale)
{
    if (number <= 2 * stage_count) {
        const int stage = (number + 1) / 2;
        return draw_stage_picture(stage, number % 2 == 1 ? StageFrame::rest : StageFrame::impact, scale);
    }
    if (number < picture_count)
        return draw_result_picture(static_cast<Verdict>(number - 2 * stage_count - 1), scale);
    return draw_title_picture(scale);
}

} // namespace assets
