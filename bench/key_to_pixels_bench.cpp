// From a real key press, sent through XTest to the real program in Xvfb, to
// the server drawing the hit into the window (the picture or the life bar),
// as DAMAGE reports it. Prints figures; never judges them.
//   zumbrel_key_to_pixels_bench [hits] [program] [data-dir]
#include "bench/summary.h"
#include "bench/x_game.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = XGame::Clock;
constexpr int hits_per_round = 200;

double millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "zumbrel_key_to_pixels_bench: %s\n", what);
    std::exit(1);
}

// Lets drawing that is still on its way arrive before the next measurement.
void settle(XGame& game, Clock::duration quiet)
{
    while (game.next_drawing({{0, 0, 4096, 4096}}, quiet)) {
    }
}

void start_round(XGame& game)
{
    game.click(start_button_area);
    if (!game.next_drawing({start_button_area}, std::chrono::seconds(2)))
        fail("the Start button did not react to a click");
    settle(game, std::chrono::milliseconds(50));
}

} // namespace

int main(int argc, char** argv)
{
    const int hits = argc > 1 ? std::atoi(argv[1]) : 500;
    const std::string program = argc > 2 ? argv[2] : ZUMBREL_PROGRAM;
    const std::string data_dir = argc > 3 ? argv[3] : ZUMBREL_DATA_DIR;

    XvfbServer x;
    XGame game(x, program, data_dir);
    std::vector<double> first_drawing;
    std::vector<double> last_drawing;
    for (int hit = 0; hit < hits; ++hit) {
        if (hit % hits_per_round == 0)
            start_round(game);
        settle(game, std::chrono::milliseconds(5));
        const auto pressed = Clock::now();
        game.space_bar(true);
        const auto drawn = game.next_drawing({picture_area, bar_area}, std::chrono::seconds(1));
        if (!drawn)
            fail("a space-bar press drew nothing within a second");
        auto last = *drawn;
        while (const auto more = game.next_drawing({picture_area, bar_area}, std::chrono::milliseconds(20)))
            last = *more;
        first_drawing.push_back(millis(*drawn - pressed));
        last_drawing.push_back(millis(last - pressed));
        game.space_bar(false);
    }
    std::printf("Xvfb %s, %d hits in rounds of %d\n", x.display().c_str(), hits, hits_per_round);
    print_summary("key press -> first drawing of the hit", first_drawing, "ms");
    print_summary("key press -> last drawing of the hit", last_drawing, "ms");
}
