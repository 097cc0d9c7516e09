// Writes the game's window, loaded in the current folder and drawn active by
// whatever platform Qt is given, to the PNG file named.
#include "app/form1.h"
#include "recording_sound_device.h"

#include <QApplication>
#include <QTest>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    RecordingSoundDevice sounds;
    Form1 form(sounds, [](const QString&) { QCoreApplication::exit(1); });
    form.Form_Load();
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form))
        return 1;
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
