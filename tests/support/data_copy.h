#pragma once

#include <QString>
#include <QTemporaryDir>

// A private copy of the game's data folder (bmp/ and the sounds) that a test
// may damage. Every folder on the way is open to all, so an unprivileged
// user is stopped only by what a test does to a file.
class DataCopy {
public:
    explicit DataCopy(const QString& source, const QString& pictures = QStringLiteral("*")); // those of bmp/ copied
    DataCopy(const DataCopy&) = delete;
    DataCopy& operator=(const DataCopy&) = delete;

    bool isValid() const { return valid_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool valid_ = false;
};

// Writes `bytes` to `path` or ends the test program.
void write_file(const QString& path, const QByteArray& bytes);

// What a player could put where a data file should be, instead of one.
void make_named_pipe(const QString& path);
void make_sparse_file(const QString& path, qint64 size);

// Makes a folder the current one for its lifetime.
class CurrentDir {
public:
    explicit CurrentDir(const QString& path);
    ~CurrentDir();
    CurrentDir(const CurrentDir&) = delete;
    CurrentDir& operator=(const CurrentDir&) = delete;

private:
    QString previous_;
};
