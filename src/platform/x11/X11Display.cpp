#include "platform/x11/X11Display.h"

#include "platform/x11/XcbPointers.h"

#include <array>
#include <string_view>
#include <xcb/composite.h>
#include <xcb/res.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

namespace lettergate {

namespace {

xcb_screen_t *screenOf(xcb_connection_t *connection, int number)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; it.rem; ++i, xcb_screen_next(&it)) {
        if (i == number)
            return it.data;
    }
    return nullptr;
}

bool versionAtLeast(uint32_t major, uint32_t minor, uint32_t wantedMajor, uint32_t wantedMinor)
{
    return major > wantedMajor || (major == wantedMajor && minor >= wantedMinor);
}

bool present(xcb_connection_t *connection, xcb_extension_t *extension)
{
    const xcb_query_extension_reply_t *data = xcb_get_extension_data(connection, extension);
    return data && data->present;
}

} // namespace

std::unique_ptr<X11Display> X11Display::open(const QByteArray &displayName)
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(),
                                               &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    std::unique_ptr<X11Display> display(new X11Display(connection, screenNumber));
    if (!display->initialise())
        return nullptr;
    return display;
}

X11Display::X11Display(xcb_connection_t *connection, int screenNumber)
    : m_connection(connection)
    , m_screenNumber(screenNumber)
{
}

X11Display::~X11Display()
{
    if (m_ewmhReady)
        xcb_ewmh_connection_wipe(&m_ewmh);
    xcb_disconnect(m_connection);
}

bool X11Display::initialise()
{
    m_screen = screenOf(m_connection, m_screenNumber);
    if (!m_screen)
        return false;

    // Everything below is asked at once and collected afterwards: one wait, not twenty.
    xcb_intern_atom_cookie_t *ewmhCookies = xcb_ewmh_init_atoms(m_connection, &m_ewmh);
    const std::array<std::pair<xcb_atom_t *, std::string_view>, 5> ownAtoms{{
        {&m_atoms.gtkApplicationId, "_GTK_APPLICATION_ID"},
        {&m_atoms.kdeDesktopFile, "_KDE_NET_WM_DESKTOP_FILE"},
        {&m_atoms.wmChangeState, "WM_CHANGE_STATE"},
        {&m_atoms.wmState, "WM_STATE"},
        {&m_atoms.timestampProbe, "_LETTERGATE_TIMESTAMP"},
    }};
    std::array<xcb_intern_atom_cookie_t, ownAtoms.size()> atomCookies;
    for (size_t i = 0; i < ownAtoms.size(); ++i) {
        const std::string_view name = ownAtoms[i].second;
        atomCookies[i] = xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.data());
    }
    xcb_prefetch_extension_data(m_connection, &xcb_composite_id);
    xcb_prefetch_extension_data(m_connection, &xcb_input_id);
    xcb_prefetch_extension_data(m_connection, &xcb_test_id);
    xcb_prefetch_extension_data(m_connection, &xcb_res_id);

    m_ewmhReady = xcb_ewmh_init_atoms_replies(&m_ewmh, ewmhCookies, nullptr) != 0;
    for (size_t i = 0; i < ownAtoms.size(); ++i) {
        XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, atomCookies[i], nullptr));
        if (reply)
            *ownAtoms[i].first = reply->atom;
    }
    if (!m_ewmhReady)
        return false;

    // Version requests of an extension the server lacks would close the connection, so
    // only the present ones are asked.
    const bool hasComposite = present(m_connection, &xcb_composite_id);
    const bool hasInput = present(m_connection, &xcb_input_id);
    const bool hasTest = present(m_connection, &xcb_test_id);
    const bool hasRes = present(m_connection, &xcb_res_id);
    xcb_composite_query_version_cookie_t compositeCookie{};
    xcb_input_xi_query_version_cookie_t inputCookie{};
    xcb_test_get_version_cookie_t testCookie{};
    xcb_res_query_version_cookie_t resCookie{};
    if (hasComposite)
        compositeCookie = xcb_composite_query_version(m_connection, 0, 4);
    if (hasInput)
        inputCookie = xcb_input_xi_query_version(m_connection, 2, 2);
    if (hasTest)
        testCookie = xcb_test_get_version(m_connection, 2, 2);
    if (hasRes)
        resCookie = xcb_res_query_version(m_connection, 1, 2);

    if (hasComposite) {
        XcbPtr<xcb_composite_query_version_reply_t> reply(
            xcb_composite_query_version_reply(m_connection, compositeCookie, nullptr));
        m_extensions.composite = reply && versionAtLeast(reply->major_version, reply->minor_version, 0, 2);
    }
    if (hasInput) {
        XcbPtr<xcb_input_xi_query_version_reply_t> reply(
            xcb_input_xi_query_version_reply(m_connection, inputCookie, nullptr));
        m_extensions.xinput22 = reply && versionAtLeast(reply->major_version, reply->minor_version, 2, 2);
        m_extensions.xinputOpcode = xcb_get_extension_data(m_connection, &xcb_input_id)->major_opcode;
    }
    if (hasTest) {
        XcbPtr<xcb_test_get_version_reply_t> reply(xcb_test_get_version_reply(m_connection, testCookie, nullptr));
        m_extensions.xtest = reply != nullptr;
    }
    if (hasRes) {
        XcbPtr<xcb_res_query_version_reply_t> reply(xcb_res_query_version_reply(m_connection, resCookie, nullptr));
        m_extensions.res = reply && versionAtLeast(reply->server_major, reply->server_minor, 1, 2);
    }
    return !hasFailed();
}

} // namespace lettergate
