#include "bench/xvfb_server.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void give_up(const char* what)
{
    std::fprintf(stderr, "zumbrel bench: %s\n", what);
    std::exit(1);
}

} // namespace

XvfbServer::XvfbServer()
{
    int ready[2] = {-1, -1};
    if (pipe2(ready, O_CLOEXEC) != 0)
        give_up("no pipe for Xvfb");
    // Xvfb writes its display number there once it accepts connections.
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                 "640x480x24", "-nolisten", "tcp"},
        std::vector<std::string>{}, std::string{}, ready[1]);
    close(ready[1]);
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ready[0]);
    if (number.empty())
        give_up("Xvfb did not start");
    display_ = ":" + number;

    connection_ = xcb_connect(display_.c_str(), nullptr);
    if (xcb_connection_has_error(connection_))
        give_up("cannot connect to Xvfb");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

XvfbServer::~XvfbServer()
{
    xcb_disconnect(connection_);
}
