#include "tools/asset_writer.h"
#include "tools/paint_kit.h"

#include <QGuiApplication>

#if defined(__i386__)
#include <fpu_control.h>
#endif

#include <iostream>
#include <stdexcept>

int main(int argc, char* argv[])
{
#if defined(__i386__)
    // Qt's drawing on 32-bit x86 runs on the x87, whose 64-bit mantissas shade
    // edge pixels differently from every other machine; rounding each step to a
    // double's 53 bits gives the same pictures.
    fpu_control_t control_word = 0;
    _FPU_GETCW(control_word);
    control_word = (control_word & ~_FPU_EXTENDED) | _FPU_DOUBLE;
    _FPU_SETCW(control_word);
#endif
    if (argc != 3) {
        std::cerr << "usage: zumbrel_make_assets <data-dir> <icon-dir>\n";
        return 2;
    }
    // Drawing needs no screen; this lets the tool run by hand on a headless box.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication app(argc, argv);

    if (assets::japanese_family().isEmpty()) {
        std::cerr << "zumbrel_make_assets: no Japanese font found (install fonts-ipafont-gothic)\n";
        return 1;
    }
    try {
        assets::write_all_assets(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    } catch (const std::runtime_error& error) {
        std::cerr << "zumbrel_make_assets: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
