// Splits the headless X server's one screen into monitors laid side by side,
// the way a desktop with several displays shows them: klipo_set_monitors
// 1920x1080 1280x1024 makes "KLIPO-1" at 0,0 and "KLIPO-2" at 1920,0. The X
// server must be at least as wide as all of them together and as high as the
// highest; it keeps the monitors only while some client stays connected (or
// with -noreset).
#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/uio.h>
#include <vector>

namespace {

template <typename T>
std::unique_ptr<T, decltype(&std::free)> owned(T* p)
{
    return {p, &std::free};
}

// libxcb-randr's own SetMonitor request comes out malformed on Debian 12, so
// the request is put together here: header, window, then the monitor info.
bool setMonitor(xcb_connection_t* c, xcb_window_t root, const std::string& name, int x, int y, int w, int h,
                bool primary)
{
    auto atom = owned(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.c_str()), nullptr));
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (!atom || !randr || !randr->present) return false;
    uint8_t request[32] = {};
    request[0] = randr->major_opcode;
    request[1] = XCB_RANDR_SET_MONITOR;
    const uint16_t length = sizeof(request) / 4;
    std::memcpy(request + 2, &length, 2);
    std::memcpy(request + 4, &root, 4);
    xcb_randr_monitor_info_t info{};
    info.name = atom->atom;
    info.primary = primary;
    info.x = int16_t(x);
    info.y = int16_t(y);
    info.width = uint16_t(w);
    info.height = uint16_t(h);
    info.width_in_millimeters = uint32_t(w * 254 / 960);
    info.height_in_millimeters = uint32_t(h * 254 / 960);
    std::memcpy(request + 8, &info, sizeof(info));
    iovec part{request, sizeof(request)};
    xcb_protocol_request_t protocol{1, nullptr, 0, 1};
    const unsigned sequence = xcb_send_request(c, XCB_REQUEST_CHECKED | XCB_REQUEST_RAW, &part, &protocol);
    auto error = owned(xcb_request_check(c, xcb_void_cookie_t{sequence}));
    return !error;
}

// Switches the server's own output off, so that only our monitors remain.
bool outputOff(xcb_connection_t* c, xcb_window_t root)
{
    auto resources = owned(xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, root), nullptr));
    if (!resources) return false;
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    for (int i = 0; i < xcb_randr_get_screen_resources_current_crtcs_length(resources.get()); ++i) {
        auto reply = owned(xcb_randr_set_crtc_config_reply(
            c,
            xcb_randr_set_crtc_config(c, crtcs[i], XCB_CURRENT_TIME, resources->config_timestamp, 0, 0, XCB_NONE,
                                      XCB_RANDR_ROTATION_ROTATE_0, 0, nullptr),
            nullptr));
        if (!reply || reply->status != XCB_RANDR_SET_CONFIG_SUCCESS) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WIDTHxHEIGHT...\n", argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "klipo_set_monitors: cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto version = owned(xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    if (!version || version->major_version < 1 || version->minor_version < 5) {
        std::fprintf(stderr, "klipo_set_monitors: the X server has no RandR 1.5\n");
        return 1;
    }
    if (!outputOff(c, root)) {
        std::fprintf(stderr, "klipo_set_monitors: cannot switch the server's output off\n");
        return 1;
    }
    int x = 0;
    for (int i = 1; i < argc; ++i) {
        int w = 0, h = 0;
        if (std::sscanf(argv[i], "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) {
            std::fprintf(stderr, "klipo_set_monitors: bad size %s\n", argv[i]);
            return 2;
        }
        if (!setMonitor(c, root, "KLIPO-" + std::to_string(i), x, 0, w, h, i == 1)) {
            std::fprintf(stderr, "klipo_set_monitors: the X server refused monitor %d\n", i);
            return 1;
        }
        x += w;
    }
    xcb_disconnect(c);
    return 0;
}
