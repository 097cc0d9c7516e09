#pragma once

#include "bench/child_process.h"

#include <xcb/xcb.h>

#include <memory>
#include <string>

// A private Xvfb server on a display number it picks itself, and one
// connection to it.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& display() const { return display_; }
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }

private:
    std::string display_;
    std::unique_ptr<ChildProcess> server_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
};
