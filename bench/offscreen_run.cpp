#include "bench/offscreen_run.h"

#include "summary.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

void prepare_offscreen_run(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const char* const data_dir = argc > 1 ? argv[1] : ZUMBREL_DATA_DIR;
    if (chdir(data_dir) != 0)
        give_up(("cannot enter the data folder " + std::string(data_dir)).c_str());
}
