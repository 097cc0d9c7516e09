#include "app/detectable_auto_repeat.h"

#include <QGuiApplication>

// xkb.h names a struct field "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

bool request_detectable_auto_repeat()
{
    // The offscreen platform also answers to the X11 interface, without a connection.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* const connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;

    const auto use = xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION);
    std::free(xcb_xkb_use_extension_reply(connection, use, nullptr));

    const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    const auto cookie = xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
    xcb_xkb_per_client_flags_reply_t* const reply =
        xcb_xkb_per_client_flags_reply(connection, cookie, nullptr);
    const bool granted = reply && (reply->value & flag);
    std::free(reply);
    return granted;
}
