// The real window's memory while it plays round after round of 200 hits on
// the offscreen platform, the soak test's rounds ten times over: peak and
// current resident size, from the kernel. Prints figures; never judges them.
//   zumbrel_memory_bench [data-dir] [rounds]
#include "bench/offscreen_run.h"
#include "game_window.h"
#include "summary.h"
#include "media/sound_backend.h"
#include "media/sound_output.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void print_memory(const std::string& after)
{
    std::printf("%-22s VmHWM %6ld kB, VmRSS %6ld kB\n", after.c_str(), status_kb("VmHWM"), status_kb("VmRSS"));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    prepare_offscreen_run(argc, argv);
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1000;
    QApplication app(argc, argv);
    media::SoundOutput sounds;
    sounds.start([] { return media::make_sdl_backend(); });
    GameWindow game(sounds);
    if (!game.active())
        give_up("the window never got the keyboard");
    print_memory("title shown:");
    for (int round = 1; round <= rounds; ++round) {
        if (!game.play_round())
            give_up("a round did not end at 200 hits");
        if (round == 1 || round == 10 || round == 100 || round % 250 == 0 || round == rounds)
            print_memory("after " + std::to_string(round) + " rounds:");
    }
}
