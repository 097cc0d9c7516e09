#include "app/detectable_auto_repeat.h"
#include "app/fatal_report.h"
#include "app/form1.h"
#include "app/termination_signals.h"
#include "media/sdl_sound_device.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Lets desktops match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zumbrel.Zumbrel"));
    request_detectable_auto_repeat();

    // Opens the sound card on a thread of its own while the window is built;
    // the window never waits for it.
    media::SdlSoundDevice sounds;
    Form1 form(sounds, [](const QString& message) {
        report_fatal(message);
        QCoreApplication::exit(1);
    });
    form.Form_Load();
    if (form.failed())
        return 1;
    close_on_termination_signals(form);
    form.show();
    return app.exec();
}
