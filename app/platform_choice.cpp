#include "app/platform_choice.h"

#include <wayland-client-core.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

std::string env_value(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The registry's two events, laid out as libwayland expects them.
struct RegistryListener {
    void (*global)(void* data, wl_proxy* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void (*global_remove)(void* data, wl_proxy* registry, std::uint32_t name);
};

// Loaded only on a Wayland session, so X11 start-up does not pay for it; Qt's
// Wayland plugin loads the same library next.
struct WaylandClient {
    void* library = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_LOCAL);
    template <typename Function> Function* get(const char* name) const
    {
        return library ? reinterpret_cast<Function*>(dlsym(library, name)) : nullptr;
    }
    decltype(&wl_display_connect) connect = get<decltype(wl_display_connect)>("wl_display_connect");
    decltype(&wl_display_disconnect) disconnect = get<decltype(wl_display_disconnect)>("wl_display_disconnect");
    decltype(&wl_display_roundtrip) roundtrip = get<decltype(wl_display_roundtrip)>("wl_display_roundtrip");
    decltype(&wl_proxy_marshal_constructor) marshal_constructor =
        get<decltype(wl_proxy_marshal_constructor)>("wl_proxy_marshal_constructor");
    decltype(&wl_proxy_add_listener) add_listener = get<decltype(wl_proxy_add_listener)>("wl_proxy_add_listener");
    decltype(&wl_proxy_destroy) destroy = get<decltype(wl_proxy_destroy)>("wl_proxy_destroy");
    const wl_interface* registry_interface = get<const wl_interface>("wl_registry_interface");

    bool complete() const
    {
        return connect && disconnect && roundtrip && marshal_constructor && add_listener && destroy
            && registry_interface;
    }
};

void note_global(void* data, wl_proxy*, std::uint32_t, const char* interface, std::uint32_t)
{
    if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0)
        *static_cast<bool*>(data) = true;
}

void ignore_removal(void*, wl_proxy*, std::uint32_t) {}

constexpr std::uint32_t get_registry_request = 1; // wl_display.get_registry

} // namespace

std::optional<std::string> platform_override(const DisplayEnvironment& env, WaylandFrames frames)
{
    if (!env.qt_platform.empty() || env.wayland_display.empty() || env.x_display.empty())
        return std::nullopt;
    if (frames != WaylandFrames::drawn_by_client)
        return std::nullopt;
    return "xcb";
}

WaylandFrames probe_wayland_frames()
{
    const WaylandClient client;
    if (!client.complete())
        return WaylandFrames::unknown;
    wl_display* const display = client.connect(nullptr);
    if (!display)
        return WaylandFrames::unknown;
    bool offers_decorations = false;
    wl_proxy* const registry = client.marshal_constructor(reinterpret_cast<wl_proxy*>(display), get_registry_request,
                                                          client.registry_interface, nullptr);
    static RegistryListener listener{note_global, ignore_removal};
    WaylandFrames frames = WaylandFrames::unknown;
    if (registry && client.add_listener(registry, reinterpret_cast<void (**)()>(&listener),
                                        &offers_decorations) == 0
        && client.roundtrip(display) >= 0)
        frames = offers_decorations ? WaylandFrames::drawn_by_compositor : WaylandFrames::drawn_by_client;
    if (registry)
        client.destroy(registry);
    client.disconnect(display);
    return frames;
}

void choose_platform()
{
    const DisplayEnvironment env{env_value("QT_QPA_PLATFORM"), env_value("WAYLAND_DISPLAY"), env_value("DISPLAY")};
    // Only a session that could be switched is worth a connection to the compositor.
    if (!platform_override(env, WaylandFrames::drawn_by_client))
        return;
    if (const auto platform = platform_override(env, probe_wayland_frames()))
        setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
}
