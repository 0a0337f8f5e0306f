#include "PhysicalKeyMap.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

// The X server's key map, read with QueryKeymap over a connection of its
// own: 256 bits, one per X key code, set while the key is physically down.
// X key codes are the native scan codes Qt puts in its key events.
class CX11KeyMap final : public CPhysicalKeyMap
{
public:
    explicit CX11KeyMap(xcb_connection_t *connection) : m_connection(connection) {}
    ~CX11KeyMap() override { xcb_disconnect(m_connection); }

    bool Read() override
    {
        if (xcb_connection_has_error(m_connection))
            return false;
        xcb_query_keymap_reply_t *reply =
            xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr);
        if (!reply)
            return false;
        std::memcpy(m_keys, reply->keys, sizeof m_keys);
        std::free(reply);
        return true;
    }

    bool IsDown(quint32 scanCode) const override
    {
        return scanCode < 256 && (m_keys[scanCode / 8] & (1u << (scanCode % 8))) != 0;
    }

private:
    xcb_connection_t *m_connection;
    quint8 m_keys[32] = {};
};

} // namespace

std::unique_ptr<CPhysicalKeyMap> OpenPhysicalKeyMap()
{
    // Only where the console's windows live on an X server; the display is
    // the one named in DISPLAY, as for the console itself.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::make_unique<CX11KeyMap>(connection);
}
