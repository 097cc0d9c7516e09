#include "app/fatal_report.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>

void report_fatal(const QString& message)
{
    std::fprintf(stderr, "zumbrel: %s\n", qUtf8Printable(message));
    // Without a screen nobody could read or dismiss the box: standard error must do.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QMessageBox::critical(nullptr, QStringLiteral("Zumbrel"), message);
}
