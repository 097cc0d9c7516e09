#include "data_copy.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

constexpr QFile::Permissions open_folder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

bool copy_files(const QDir& from, const QString& to, const QString& names = QStringLiteral("*"))
{
    for (const QString& name : from.entryList({names}, QDir::Files))
        if (!QFile::copy(from.filePath(name), to + '/' + name))
            return false;
    return true;
}

} // namespace

DataCopy::DataCopy(const QString& source, const QString& pictures)
{
    const QString bmp = dir_.filePath("bmp");
    valid_ = dir_.isValid() && QFile::setPermissions(dir_.path(), open_folder) && QDir().mkdir(bmp)
        && QFile::setPermissions(bmp, open_folder) && copy_files(QDir(source), dir_.path())
        && copy_files(QDir(source + "/bmp"), bmp, pictures);
}

void write_file(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void make_named_pipe(const QString& path)
{
    if (::mkfifo(QFile::encodeName(path).constData(), 0644) != 0)
        qFatal("cannot make a named pipe at %s", qPrintable(path));
}

void make_sparse_file(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        qFatal("cannot make a sparse file at %s", qPrintable(path));
}

CurrentDir::CurrentDir(const QString& path) : previous_(QDir::currentPath())
{
    if (!QDir::setCurrent(path))
        qFatal("cannot enter %s", qPrintable(path));
}

CurrentDir::~CurrentDir()
{
    QDir::setCurrent(previous_);
}
