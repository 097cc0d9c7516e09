#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

// A private Xvfb server on a display it picks itself, one connection to it,
// and xdotool aimed at it.
class Xvfb {
public:
    Xvfb();
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool isValid() const { return connection_ != nullptr; }
    const QString& name() const { return name_; }
    xcb_connection_t* connection() const { return connection_; }
    // Runs xdotool with the given arguments; returns its standard output.
    QString xdotool(const QStringList& arguments) const;

private:
    QProcess server_;
    QString name_;
    xcb_connection_t* connection_ = nullptr;
};
