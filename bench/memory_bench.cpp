// The real window's memory while it plays round after round of 200 hits on
// the offscreen platform: peak and current resident size, from the kernel.
// Prints figures; never judges them.
//   zumbrel_memory_bench [data-dir] [rounds]
#include "bench/offscreen_game.h"
#include "media/sdl_backend.h"
#include "media/sound_output.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr int hits_per_round = 200;

// A size from /proc/self/status, in kB.
long status_kb(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0)
            return std::atol(line.c_str() + key.size() + 1);
    return -1;
}

void print_memory(const std::string& after)
{
    std::printf("%-22s VmHWM %6ld kB, VmRSS %6ld kB\n", after.c_str(), status_kb("VmHWM"), status_kb("VmRSS"));
    std::fflush(stdout);
}

void play_round(OffscreenGame& game)
{
    game.start_round();
    for (int hit = 0; hit < hits_per_round; ++hit) {
        game.press_space();
        game.release_space();
        QApplication::processEvents();
    }
    if (game.form().round_state().is_playing) {
        std::fprintf(stderr, "zumbrel_memory_bench: a round did not end at 200 hits\n");
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    prepare_offscreen_run(argc, argv);
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1000;
    QApplication app(argc, argv);
    media::SoundOutput sounds;
    sounds.start([] { return media::make_sdl_backend(); });
    OffscreenGame game(sounds);
    print_memory("title shown:");
    for (int round = 1; round <= rounds; ++round) {
        play_round(game);
        if (round == 1 || round == 10 || round == 100 || round % 250 == 0 || round == rounds)
            print_memory("after " + std::to_string(round) + " rounds:");
    }
}
