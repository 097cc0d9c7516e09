#include "app/fatal_report.h"
#include "app/first_frame.h"
#include "app/form1.h"
#include "app/no_display.h"
#include "app/termination_signals.h"
#include "media/sound_output.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    media::set_sound_server_latency();
    exit_plainly_without_display();
    QApplication app(argc, argv);
    display_reached();
    // Lets desktops match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zumbrel.Zumbrel"));

    // Silent until its thread has made the backend, once the window is on the screen.
    media::SoundOutput sounds;
    Form1 form(sounds, [](const QString& message) {
        report_fatal(message);
        QCoreApplication::exit(1);
    });
    form.Form_Load();
    if (form.failed())
        return 1;
    close_on_termination_signals(form);
    form.show();
    // Loading the sound libraries alongside the window's first frame would
    // delay it: the dynamic loader takes one library at a time, Qt's included.
    after_first_frame(form, [&sounds] { sounds.start(media::load_sound_module); });
    return app.exec();
}
