#include "tools/asset_writer.h"
#include "tools/paint_kit.h"

#include <QGuiApplication>

#include <iostream>
#include <stdexcept>

int main(int argc, char* argv[])
{
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
