#include "app/fatal_report.h"
#include "app/first_frame.h"
#include "app/form1.h"
#include "app/platform_choice.h"
#include "app/termination_signals.h"
#include "app/window_frame.h"
#include "media/deferred_sound_device.h"
#include "media/sound_module.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char* argv[])
{
    choose_platform();
    QApplication app(argc, argv);
    // Lets desktops match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zumbrel.Zumbrel"));

    // Stands in for the sound device until the window is on the screen.
    media::DeferredSoundDevice sounds;
    const char* const desktop = std::getenv("XDG_CURRENT_DESKTOP");
    Form1 form(sounds, [](const QString& message) {
        report_fatal(message);
        QCoreApplication::exit(1);
    }, frame_for_desktop(desktop ? desktop : ""));
    form.Form_Load();
    if (form.failed())
        return 1;
    close_on_termination_signals(form);
    form.show();
    // Loading the sound libraries alongside the window's first frame would
    // delay it: the dynamic loader takes one library at a time, Qt's included.
    after_first_frame(form, [&sounds] { sounds.make(media::load_sound_module); });
    return app.exec();
}
