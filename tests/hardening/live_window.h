#pragma once

#include "app/form1.h"
#include "media/sdl_sound_device.h"

#include <QStringList>

// The real window on the real sound device, loaded from the current
// directory and shown; fatal reports are kept instead of ending the test.
struct LiveWindow {
    LiveWindow()
    {
        form.Form_Load();
        form.show();
    }

    media::SdlSoundDevice sounds;
    QStringList reports;
    Form1 form{sounds, [this](const QString& message) { reports << message; }};
};
