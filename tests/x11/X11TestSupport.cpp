#include "X11TestSupport.h"

#include <QRegularExpression>
#include <QTest>
#include <cstring>

namespace lettergate {

namespace {

QString helperProgram()
{
    return qEnvironmentVariable("LETTERGATE_HELPER_WINDOW");
}

// The window ids of a WINDOW property of the root, as xprop prints them.
QList<quint32> rootWindowIds(const char *property)
{
    static const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    QList<quint32> ids;
    for (const QRegularExpressionMatch &match : hex.globalMatch(
             X11Test::run(QStringLiteral("xprop"), {QStringLiteral("-root"), QString::fromLatin1(property)})))
        ids.append(match.captured().toUInt(nullptr, 16));
    return ids;
}

} // namespace

namespace X11Test {

QList<quint32> managedWindows()
{
    return rootWindowIds("_NET_CLIENT_LIST");
}

HelperWindow::HelperWindow(const QStringList &options)
{
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
        while (m_process.canReadLine())
            m_lines.append(QString::fromUtf8(m_process.readLine()).chopped(1));
    });
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(helperProgram(), options);
    if (waitForLine(QStringLiteral("windows made")).isEmpty())
        return;
    for (const QString &line : std::as_const(m_lines)) {
        if (line.startsWith(QStringLiteral("window ")))
            m_windows.append(line.section(u' ', 1).toUInt());
    }
}

HelperWindow::~HelperWindow()
{
    close();
}

void HelperWindow::close()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
    // The server hands a new client the id range of one that left, so the next helper's
    // window may get this one's id: it must be gone from the window manager's list
    // first, or a test could take the old entry for the new window. (Past the deadline
    // there is nothing better to do than go on.)
    (void)QTest::qWaitFor(
        [this] {
            const QList<quint32> managed = managedWindows();
            return std::ranges::none_of(m_windows, [&](quint32 window) { return managed.contains(window); });
        },
        10000);
}

QString HelperWindow::waitForLine(const QString &prefix, int timeoutMs)
{
    const auto found = [&] { return m_lines.filter(QRegularExpression(u'^' + QRegularExpression::escape(prefix))); };
    (void)QTest::qWaitFor([&] { return !found().isEmpty() || m_process.state() == QProcess::NotRunning; }, timeoutMs);
    return found().value(0);
}

OtherClient::OtherClient()
    : m_connection(xcb_connect(nullptr, nullptr))
{
    if (!xcb_connection_has_error(m_connection))
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

OtherClient::~OtherClient()
{
    xcb_disconnect(m_connection);
}

xcb_atom_t OtherClient::atom(const char *name)
{
    const XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool OtherClient::grabKey(xcb_keycode_t keycode, uint16_t modifiers)
{
    return !XcbPtr<xcb_generic_error_t>(
        xcb_request_check(m_connection, xcb_grab_key_checked(m_connection, 1, m_root, modifiers, keycode,
                                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
}

void OtherClient::ungrabKey(xcb_keycode_t keycode, uint16_t modifiers)
{
    // Checked, so the server has done it before this returns: requests of two clients
    // are not ordered otherwise.
    std::free(xcb_request_check(m_connection, xcb_ungrab_key_checked(m_connection, keycode, m_root, modifiers)));
}

bool OtherClient::isKeyDown(xcb_keycode_t keycode)
{
    const XcbPtr<xcb_query_keymap_reply_t> reply(
        xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr));
    return reply && (reply->keys[keycode / 8] & (1 << (keycode % 8)));
}

QList<xcb_keysym_t> OtherClient::keysyms(xcb_keycode_t keycode)
{
    const XcbPtr<xcb_get_keyboard_mapping_reply_t> reply(
        xcb_get_keyboard_mapping_reply(m_connection, xcb_get_keyboard_mapping(m_connection, keycode, 1), nullptr));
    if (!reply)
        return {};
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    return QList<xcb_keysym_t>(syms, syms + reply->keysyms_per_keycode);
}

void OtherClient::setKeysyms(xcb_keycode_t keycode, const QList<xcb_keysym_t> &keysyms)
{
    std::free(xcb_request_check(m_connection,
                                xcb_change_keyboard_mapping_checked(m_connection, 1, keycode, uint8_t(keysyms.size()),
                                                                    keysyms.constData())));
}

xcb_keycode_t OtherClient::unusedKeycode()
{
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    for (int keycode = setup->max_keycode; keycode >= setup->min_keycode; --keycode) {
        const QList<xcb_keysym_t> syms = keysyms(xcb_keycode_t(keycode));
        if (std::ranges::all_of(syms, [](xcb_keysym_t sym) { return sym == 0; }))
            return xcb_keycode_t(keycode);
    }
    return 0;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit) {
        qWarning("%s did not finish", qPrintable(program));
        return {};
    }
    if (process.exitCode() != 0)
        qWarning("%s %s: %s", qPrintable(program), qPrintable(arguments.join(u' ')),
                 process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void xclipCopy(const QString &file, const QString &type)
{
    QStringList arguments{"-selection", "clipboard", "-i", file};
    if (!type.isEmpty())
        arguments << "-t" << type;
    run(QStringLiteral("xclip"), arguments);
}

QString runServingEvents(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.start(program, arguments);
    if (!QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
        qWarning("%s did not finish", qPrintable(program));
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

quint32 activeWindow()
{
    return rootWindowIds("_NET_ACTIVE_WINDOW").value(0);
}

QByteArray windowClass(xcb_connection_t *c, xcb_window_t window)
{
    const XcbPtr<xcb_get_property_reply_t> wmClass(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr));
    if (!wmClass)
        return {};
    return QByteArray(static_cast<const char *>(xcb_get_property_value(wmClass.get())),
                      xcb_get_property_value_length(wmClass.get()))
        .split('\0')
        .value(1);
}

bool isHidden(quint32 window)
{
    return run(QStringLiteral("xprop"),
               {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_WM_STATE")})
        .contains(QStringLiteral("_NET_WM_STATE_HIDDEN"));
}

quint32 focusedWindow()
{
    OtherClient client;
    xcb_connection_t *c = client.connection();
    const XcbPtr<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return focus ? focus->focus : quint32(XCB_WINDOW_NONE);
}

bool waitUntilManaged(quint32 window, int timeoutMs)
{
    return QTest::qWaitFor([window] { return managedWindows().contains(window); }, timeoutMs);
}

bool waitUntilManaged(std::initializer_list<const HelperWindow *> helpers)
{
    return std::ranges::all_of(helpers, [](const HelperWindow *helper) {
        if (!helper->isValid())
            qWarning("a helper window did not start; it printed: %s", qPrintable(helper->lines().join(u'|')));
        return helper->isValid()
               && std::ranges::all_of(helper->windows(), [](quint32 window) { return waitUntilManaged(window); });
    });
}

void activate(quint32 window)
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});
}

} // namespace X11Test

} // namespace lettergate
