#include "app/fatal_report.h"

#include <QMessageBox>

#include <cstdio>

void report_fatal(const QString& message)
{
    std::fprintf(stderr, "zumbrel: %s\n", qUtf8Printable(message));
    QMessageBox::critical(nullptr, QStringLiteral("Zumbrel"), message);
}
