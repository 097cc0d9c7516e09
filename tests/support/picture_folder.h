#pragma once

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

// A temporary current directory holding bmp/1.bmp ... bmp/25.bmp, each a
// different flat colour so a test can tell from Picture2 which one it shows.
class PictureFolder {
public:
    PictureFolder() : previous_(QDir::currentPath())
    {
        QDir(dir_.path()).mkdir("bmp");
        for (int n = 1; n <= 25; ++n)
            colour_picture(n).save(dir_.filePath(QStringLiteral("bmp/%1.bmp").arg(n)), "BMP");
        QDir::setCurrent(dir_.path());
    }
    ~PictureFolder() { QDir::setCurrent(previous_); }
    PictureFolder(const PictureFolder&) = delete;
    PictureFolder& operator=(const PictureFolder&) = delete;

    static QImage colour_picture(int number)
    {
        QImage image(265, 201, QImage::Format_RGB32);
        image.fill(qRgb(number * 10, 255 - number * 10, 128));
        return image;
    }
    QString path() const { return dir_.path(); }

private:
    QString previous_;
    QTemporaryDir dir_;
};
