#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

// A private Xvfb server that watches for top-level windows being shown.
class XDisplay {
public:
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool isValid() const { return connection_ != nullptr; }
    const QString& name() const { return name_; }
    // Drops what happened so far, so the next wait sees only what follows.
    void forget_windows();
    // The next top-level window shown; 0 if none within `timeout_ms`.
    xcb_window_t wait_for_shown_window(int timeout_ms);
    QString xdotool(const QStringList& arguments) const;

private:
    QProcess server_;
    QString name_;
    xcb_connection_t* connection_ = nullptr;
};
