#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

// A private Xvfb display with the game running in it, driven by real XTest
// events through xdotool and read back from window captures.
class XSession {
public:
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts the game in its data folder; returns false if no window appeared.
    bool start_game(const QString& program, const QString& data_dir);
    // Runs xdotool with the given arguments; returns its standard output.
    QString xdotool(const QStringList& arguments) const;
    QImage capture() const;

    const QString& display() const { return display_; }
    const QString& window() const { return window_; }

private:
    QString display_;
    QProcess server_;
    QProcess game_;
    xcb_connection_t* connection_ = nullptr;
    QString window_;
};
