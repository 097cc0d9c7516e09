#include "disk_audio.h"

#include <QFile>

#include <algorithm>

bool anything_sounded(const QString& output)
{
    QFile file(output);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    return std::any_of(bytes.begin(), bytes.end(), [](char byte) { return byte != 0; });
}
