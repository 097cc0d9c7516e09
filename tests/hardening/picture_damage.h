#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One way a picture file can be spoiled, and what the game must then do.
struct PictureDamage {
    const char* name = "";
    // The spoiled bytes made from a good picture's...
    QByteArray (*spoil)(QByteArray good) = nullptr;
    // ...or, where the damage is no file of bytes, what is put at `path` instead.
    void (*place)(const QString& path) = nullptr;
    // Words the report must use; empty when the picture still shows.
    const char* reason = "";
    // Only a reader without root's powers is stopped by this damage.
    bool needs_unprivileged_reader = false;
    // Tried on the whole game as well as on the loader.
    bool whole_game = false;
};

// Every damaged picture: the loader's tests run them all, the game's a few.
const std::vector<PictureDamage>& picture_damages();

// Puts `damage`, done to the picture `good`, at `path`, where no file is yet.
void place_damaged(const QString& path, const PictureDamage& damage, const QByteArray& good);

// Removes the picture at `path` and puts `damage` in its place.
void spoil_picture(const QString& path, const PictureDamage& damage);

// While it lives, this thread opens files as the user nobody, so a file's
// permissions stop it as they would stop a player. Only the file-system
// identity of this one thread changes, and it comes back after.
class ReadAsNobody {
public:
    ReadAsNobody();
    ~ReadAsNobody();
    ReadAsNobody(const ReadAsNobody&) = delete;
    ReadAsNobody& operator=(const ReadAsNobody&) = delete;

private:
    bool changed_ = false;
};
