// From fork to the real program's window being mapped in Xvfb and to its
// pixels showing the title picture, next to the floor (a bare Qt window of
// the game's size) started the same way, in turn, in one Xvfb, in three
// audio set-ups. Prints figures and their ratios to the floor; never judges
// them. Needs pulseaudio and pulseaudio-utils.
//   zumbrel_start_up_bench [starts] [program] [data-dir]
#include "sound_server.h"
#include "summary.h"
#include "bench/x_game.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {


struct AudioSetUp {
    std::string name;
    QProcessEnvironment env;
    std::vector<double> game_mapped{};
    std::vector<double> game_shown{};
    std::vector<double> floor_mapped{};
};

void start_game(const XSession& x, const std::string& program, const std::string& data_dir, AudioSetUp& s)
{
    const XGame game(x, game_program(program, data_dir, s.env));
    s.game_mapped.push_back(millis(game.until_mapped()));
    s.game_shown.push_back(millis(game.until_title_shown()));
}

void start_floor(const XSession& x, AudioSetUp& s)
{
    const XGame floor(x, floor_program(s.env));
    s.floor_mapped.push_back(millis(floor.until_mapped()));
}

} // namespace

int main(int argc, char** argv)
{
    const int starts = argc > 1 ? std::atoi(argv[1]) : 21;
    const std::string program = argc > 2 ? argv[2] : ZUMBREL_PROGRAM;
    const std::string data_dir = argc > 3 ? argv[3] : ZUMBREL_DATA_DIR;

    const SoundServer pulse(SoundServer::Kind::pulseaudio);
    // A runtime folder without a sound server in it; PulseAudio, sent to a
    // socket that does not exist, spawns none, and ALSA's default names no card.
    const QTemporaryDir empty;
    QProcessEnvironment with_pulse = pulse.client_env();
    with_pulse.remove("SDL_AUDIODRIVER");
    QProcessEnvironment no_server = QProcessEnvironment::systemEnvironment();
    no_server.insert("XDG_RUNTIME_DIR", empty.path());
    QProcessEnvironment dummy = no_server;
    dummy.insert("SDL_AUDIODRIVER", "dummy");
    no_server.insert("PULSE_SERVER", "unix:" + empty.filePath("no-server"));
    no_server.insert("ALSA_CARD", "none");
    no_server.remove("SDL_AUDIODRIVER");
    std::vector<AudioSetUp> set_ups{
        {"PulseAudio null sink", with_pulse},
        {"no sound server, no card", no_server},
        {"SDL_AUDIODRIVER=dummy", dummy},
    };

    const XSession x;
    for (int start = 0; start < starts; ++start)
        for (AudioSetUp& s : set_ups) {
            if (start % 2 == 0) {
                start_game(x, program, data_dir, s);
                start_floor(x, s);
            } else {
                start_floor(x, s);
                start_game(x, program, data_dir, s);
            }
        }

    std::printf("Xvfb %s: %d starts of the game and of the floor in each audio set-up, in turn\n",
                qPrintable(x.name()), starts);
    for (const AudioSetUp& s : set_ups) {
        std::printf("%s\n", s.name.c_str());
        print_summary("  game:  fork -> window mapped", s.game_mapped, "ms");
        print_summary("  game:  fork -> title picture shown", s.game_shown, "ms");
        print_summary("  floor: fork -> window mapped", s.floor_mapped, "ms");
    }
    std::printf("\nMedians; ratios to the floor's fork -> mapped (target: mapped <= 1.15 in every set-up)\n");
    std::printf("%-26s %12s %12s %13s %13s %12s\n", "audio set-up", "game mapped", "title shown", "floor mapped",
                "mapped ratio", "title ratio");
    for (const AudioSetUp& s : set_ups) {
        const double floor = median(s.floor_mapped);
        const double mapped = median(s.game_mapped);
        const double shown = median(s.game_shown);
        std::printf("%-26s %9.1f ms %9.1f ms %10.1f ms %13.2f %12.2f\n", s.name.c_str(), mapped, shown, floor,
                    mapped / floor, shown / floor);
    }
}
