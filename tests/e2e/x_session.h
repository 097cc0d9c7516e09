#pragma once

#include "xvfb.h"

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

// The game running in a private Xvfb display, driven by real XTest events
// through xdotool and read back from window captures.
class XSession {
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts the game in its data folder; returns false if no window appeared.
    bool start_game(const QString& program, const QString& data_dir);
    QString xdotool(const QStringList& arguments) const { return x_.xdotool(arguments); }
    QImage capture() const;

    const QString& window() const { return window_; }

private:
    Xvfb x_;
    QProcess game_;
    QString window_;
};
