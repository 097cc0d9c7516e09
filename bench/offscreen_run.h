#pragma once

// Call before QApplication exists: picks the offscreen platform, SDL's dummy
// audio driver unless another is asked for, and enters the data folder given
// as the first argument or the build's own.
void prepare_offscreen_run(int argc, char** argv);
