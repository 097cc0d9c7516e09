#pragma once

#include "app/form1.h"
#include "data_copy.h"
#include "media/sdl_backend.h"
#include "media/sound_output.h"

#include <QPushButton>
#include <QStringList>
#include <QTest>

// The real window on the real sound device, loaded from the current
// directory and shown; fatal reports are kept instead of ending the test.
struct LiveWindow {
    LiveWindow()
    {
        sounds.start([] { return media::make_sdl_backend(); });
        form.Form_Load();
        form.show();
    }

    media::SoundOutput sounds;
    QStringList reports;
    Form1 form{sounds, [this](const QString& message) { reports << message; }};
};

// The live window on the built game's data and SDL's dummy driver, for long
// runs of input; `active` says whether it got the keyboard.
struct PlayedWindow {
    const CurrentDir inside{ZUMBREL_DATA_DIR};
    const bool dummy_driver = qputenv("SDL_AUDIODRIVER", "dummy");
    LiveWindow live;
    Form1& form = live.form;
    const bool active = QTest::qWaitForWindowActive(&form);
    QPushButton& start = *form.findChild<QPushButton*>("start_btn");
};
