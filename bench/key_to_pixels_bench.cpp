// From a real key press, sent through XTest to the real program in Xvfb, to
// the server drawing the hit into the window (the picture or the life bar),
// as DAMAGE reports it; next to the floor (a bare Qt window that repaints a
// strip on each key press) side by side in the same Xvfb, a hit on each in
// turn. Prints figures and the ratio to the floor; never judges them.
//   zumbrel_key_to_pixels_bench [hits] [program] [data-dir]
#include "summary.h"
#include "bench/x_game.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = XGame::Clock;
constexpr int hits_per_round = 200;

// Lets drawing that is still on its way arrive before the next measurement.
void settle(XGame& window, Clock::duration quiet)
{
    while (window.next_drawing({{0, 0, 4096, 4096}}, quiet)) {
    }
}

void start_round(XGame& game)
{
    game.click(start_button_area);
    if (!game.next_drawing({start_button_area}, std::chrono::seconds(2)))
        give_up("the Start button did not react to a click");
    settle(game, std::chrono::milliseconds(50));
}

// From the key press to the first drawing over the areas, and to the last
// one that follows it within 20 ms.
std::pair<double, double> hit(XGame& window, std::initializer_list<QRect> areas)
{
    window.focus();
    settle(window, std::chrono::milliseconds(5));
    const auto pressed = Clock::now();
    window.space_bar(true);
    const auto drawn = window.next_drawing(areas, std::chrono::seconds(1));
    if (!drawn)
        give_up("a space-bar press drew nothing within a second");
    auto last = *drawn;
    while (const auto more = window.next_drawing(areas, std::chrono::milliseconds(20)))
        last = *more;
    window.space_bar(false);
    return {millis(*drawn - pressed), millis(last - pressed)};
}

} // namespace

int main(int argc, char** argv)
{
    const int hits = argc > 1 ? std::atoi(argv[1]) : 500;
    const std::string program = argc > 2 ? argv[2] : ZUMBREL_PROGRAM;
    const std::string data_dir = argc > 3 ? argv[3] : ZUMBREL_DATA_DIR;

    // Sound is not on the way to the pixels; SDL's dummy driver needs no server.
    const QTemporaryDir runtime;
    QProcessEnvironment audio = QProcessEnvironment::systemEnvironment();
    audio.insert("SDL_AUDIODRIVER", "dummy");
    audio.insert("XDG_RUNTIME_DIR", runtime.path());
    const XSession x;
    XGame game(x, game_program(program, data_dir, audio));
    XGame floor(x, floor_program(audio));
    game.move_to({0, 0});
    floor.move_to({320, 0});
    std::vector<double> first_drawing;
    std::vector<double> last_drawing;
    std::vector<double> floor_drawing;
    for (int i = 0; i < hits; ++i) {
        if (i % hits_per_round == 0)
            start_round(game);
        const auto [first, last] = hit(game, {picture_area, bar_area});
        first_drawing.push_back(first);
        last_drawing.push_back(last);
        floor_drawing.push_back(hit(floor, {bar_area}).first);
    }
    std::printf("Xvfb %s, %d hits on the game in rounds of %d and on the floor, in turn; SDL_AUDIODRIVER=dummy\n",
                qPrintable(x.name()), hits, hits_per_round);
    print_summary("game:  key press -> first drawing of the hit", first_drawing, "ms");
    print_summary("game:  key press -> last drawing of the hit", last_drawing, "ms");
    print_summary("floor: key press -> strip repainted", floor_drawing, "ms");
    std::printf("median ratio, game's first drawing to the floor's repaint: %.2f (target <= 1.3)\n",
                median(first_drawing) / median(floor_drawing));
}
