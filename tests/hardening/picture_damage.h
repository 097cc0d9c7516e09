#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One way a picture file can be spoiled, and the words a report must use for it.
struct PictureDamage {
    const char* name = "";
    // Puts the spoiled version of `good` at `path`, where no file is yet.
    void (*apply)(const QString& path, const QByteArray& good) = nullptr;
    const char* reason = "";
    // Only a reader without root's powers is stopped by this damage.
    bool needs_unprivileged_reader = false;
};

const std::vector<PictureDamage>& picture_damages();

// Removes the picture at `path` and puts `damage` in its place.
void spoil_picture(const QString& path, const PictureDamage& damage);
