// From fork to the real program's window being mapped in Xvfb and to its
// pixels showing the title picture, over several starts. Prints figures;
// never judges them.
//   zumbrel_start_up_bench [runs] [program] [data-dir]
#include "bench/summary.h"
#include "bench/x_game.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double millis(XGame::Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::string program = argc > 2 ? argv[2] : ZUMBREL_PROGRAM;
    const std::string data_dir = argc > 3 ? argv[3] : ZUMBREL_DATA_DIR;

    XvfbServer x;
    std::vector<double> mapped;
    std::vector<double> shown;
    for (int run = 0; run < runs; ++run) {
        const XGame game(x, program, data_dir);
        mapped.push_back(millis(game.until_mapped()));
        shown.push_back(millis(game.until_title_shown()));
    }
    std::printf("%d starts in Xvfb %s; the first: mapped %.1f ms, title shown %.1f ms\n", runs,
                x.display().c_str(), mapped.front(), shown.front());
    print_summary("fork -> window mapped", mapped, "ms");
    print_summary("fork -> title picture in the window's pixels", shown, "ms");
}
