#include "tests/support/crash/ScreenProbe.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace qv::crash::test {

TScreenProbe::TScreenProbe() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

TScreenProbe::~TScreenProbe() {
    if (connection_ != nullptr) xcb_disconnect(connection_);
}

void TScreenProbe::Sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

uint32_t TScreenProbe::Atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const uint32_t atom = reply != nullptr ? reply->atom : 0;
    std::free(reply);
    return atom;
}

uint32_t TScreenProbe::ScreenPixel(int x, int y) {
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(connection_,
                            xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_,
                                          static_cast<int16_t>(x), static_cast<int16_t>(y), 1, 1, ~0u),
                            nullptr);
    uint32_t colour = 0;
    if (image != nullptr && xcb_get_image_data_length(image) >= 3) {
        const uint8_t* pixel = xcb_get_image_data(image);
        colour = static_cast<uint32_t>(pixel[2]) << 16 | static_cast<uint32_t>(pixel[1]) << 8 | pixel[0];
    }
    std::free(image);
    return colour;
}

TScreenProbe::TArea TScreenProbe::WindowArea(uint32_t window) {
    TArea area;
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    xcb_translate_coordinates_reply_t* place = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr);
    if (geometry != nullptr && place != nullptr)
        area = {place->dst_x, place->dst_y, geometry->width, geometry->height};
    std::free(geometry);
    std::free(place);
    return area;
}

void TScreenProbe::Cover(const TArea& area, uint32_t colour) {
    cover_ = xcb_generate_id(connection_);
    const uint32_t values[] = {colour, 1};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, cover_, root_, static_cast<int16_t>(area.x),
                      static_cast<int16_t>(area.y), static_cast<uint16_t>(area.width),
                      static_cast<uint16_t>(area.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(connection_, cover_);
    Sync();
}

void TScreenProbe::Uncover() {
    xcb_destroy_window(connection_, cover_);
    cover_ = 0;
    Sync();
}

void TScreenProbe::TakeClipboard() {
    clipboardOwner_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, clipboardOwner_, root_, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(connection_, clipboardOwner_, Atom("CLIPBOARD"), XCB_CURRENT_TIME);
    Sync();
}

bool TScreenProbe::Ping(uint32_t window, int timeoutMs) {
    const uint32_t protocols = Atom("WM_PROTOCOLS");
    const uint32_t ping = Atom("_NET_WM_PING");
    // The answer goes to the root window for the window manager, which listens there; toolkits
    // send it under the structure or the substructure mask.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = protocols;
    message.data.data32[0] = ping;
    message.data.data32[1] = XCB_CURRENT_TIME;
    message.data.data32[2] = window;
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const auto* answer = reinterpret_cast<const xcb_client_message_event_t*>(event);
            const bool answered = (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                                  answer->window == root_ && answer->data.data32[0] == ping &&
                                  answer->data.data32[2] == window;
            std::free(event);
            if (answered) return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd entry{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&entry, 1, static_cast<int>(left.count()));
    }
}

} // namespace qv::crash::test
