// Writes the game's window, loaded in the current folder and drawn active by
// whatever platform Qt is given, to the PNG file named.
#include "game_window.h"
#include "recording_sound_device.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    RecordingSoundDevice sounds;
    GameWindow window(sounds);
    const bool shown = window.active() && window.reports().isEmpty();
    return shown && window.form().grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
