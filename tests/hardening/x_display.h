#pragma once

#include "xvfb.h"

// A private Xvfb server that watches for top-level windows being shown.
class XDisplay {
public:
    XDisplay();

    bool isValid() const { return x_.isValid(); }
    const QString& name() const { return x_.name(); }
    // Drops what happened so far, so the next wait sees only what follows.
    void forget_windows();
    // The next top-level window shown; 0 if none within `timeout_ms`.
    xcb_window_t wait_for_shown_window(int timeout_ms);
    QString xdotool(const QStringList& arguments) const { return x_.xdotool(arguments); }

private:
    Xvfb x_;
};
