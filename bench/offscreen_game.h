#pragma once

#include "app/form1.h"
#include "media/sound_device.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

// The real window on Qt's offscreen platform, in the game's data folder, with
// its title picture and sounds loaded and shown, driven the way the platform
// plugin drives it.
class OffscreenGame {
public:
    explicit OffscreenGame(media::SoundDevice& sounds);

    Form1& form() { return form_; }
    PictureBox& picture_box();
    QTimer& timer();

    void start_round() { form_.start_btn_Click(); }
    // Puts the window on `screen`, with its device pixel ratio.
    void move_to(QScreen& screen);
    // Through the platform's entry point for key events: shortcut override
    // first, then the window, its key preview and the focused control.
    void press_space();
    void release_space();

private:
    Form1 form_;
};

// Call before QApplication exists: picks the offscreen platform, SDL's dummy
// audio driver unless another is asked for, and enters the data folder given
// as the first argument or the build's own.
void prepare_offscreen_run(int argc, char** argv);
