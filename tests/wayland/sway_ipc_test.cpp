#include "platform/wayland/SwayIpc.h"

#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace lettergate;

namespace {

QByteArray header(const char *magic, quint32 length, quint32 type)
{
    QByteArray bytes(magic);
    bytes.append(reinterpret_cast<const char *>(&length), sizeof(length));
    bytes.append(reinterpret_cast<const char *>(&type), sizeof(type));
    return bytes;
}

// A socket that answers its first client with the given bytes, then keeps the
// connection open until the client hangs up, as a stalled compositor would; what the
// client asked is kept.
class CannedServer {
public:
    CannedServer(const QString &path, QByteArray answer)
        : m_fd(::socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address{AF_UNIX, {}};
        qstrncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof(address.sun_path));
        ::bind(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address));
        ::listen(m_fd, 1);
        m_thread = std::thread([this, answer] {
            const int client = ::accept(m_fd, nullptr, nullptr);
            request.resize(SwayIpc::headerSize);
            request.resize(std::max<ssize_t>(::recv(client, request.data(), request.size(), MSG_WAITALL), 0));
            ::send(client, answer.constData(), size_t(answer.size()), MSG_NOSIGNAL);
            for (char rest; ::recv(client, &rest, 1, 0) > 0;) {
            }
            ::close(client);
        });
    }
    ~CannedServer()
    {
        m_thread.join();
        ::close(m_fd);
    }
    QByteArray request;

private:
    int m_fd;
    std::thread m_thread;
};

} // namespace

// sway's IPC as the window list uses it: the framing, the layout tree, and a socket that
// answers badly, which must cost no more than the time limit.
class SwayIpcTest : public QObject {
    Q_OBJECT

private slots:
    void theTreeGivesEveryWindowOldestFirst()
    {
        // Tiled, floating and Xwayland windows, nested as sway nests them; the scratchpad's
        // window is not visible.
        const QByteArray tree = R"({"id":1,"type":"root","nodes":[{"id":3,"type":"output","nodes":[
            {"id":4,"type":"workspace","nodes":[
              {"id":9,"type":"con","name":"Two","app_id":"foot","visible":true,
               "rect":{"x":640,"y":25,"width":640,"height":775}},
              {"id":5,"type":"con","layout":"splitv","nodes":[
                {"id":6,"type":"con","name":"One","app_id":"foot","visible":true,
                 "rect":{"x":0,"y":25,"width":640,"height":775}}]}],
             "floating_nodes":[{"id":7,"type":"floating_con","name":"X","app_id":null,"shell":"xwayland",
               "window_properties":{"class":"XTerm","instance":"xterm"},"visible":false,
               "rect":{"x":10,"y":20,"width":300,"height":200}},
              {"id":8,"type":"floating_con","name":"Bare","app_id":null,"visible":true,
               "rect":{"x":1,"y":2,"width":"wide","height":4}}]}]}]})";
        const auto views = SwayIpc::views(tree);
        QVERIFY(views);
        const QList<std::tuple<qint64, QString, QString, QRect, bool>> expected = {
            {6, "foot", "One", QRect(0, 25, 640, 775), true},
            {7, "XTerm", "X", QRect(10, 20, 300, 200), false},
            {8, "", "Bare", QRect(1, 2, 0, 4), true},
            {9, "foot", "Two", QRect(640, 25, 640, 775), true},
        };
        QList<std::tuple<qint64, QString, QString, QRect, bool>> found;
        for (const SwayIpc::View &view : *views)
            found.append({view.id, view.appId, view.title, view.rect, view.visible});
        QCOMPARE(found, expected);
        QVERIFY(!SwayIpc::views("not json"));
        QVERIFY(!SwayIpc::views("[1, 2]"));
        QVERIFY(!SwayIpc::views(QByteArray(100000, '[') + QByteArray(100000, ']')));
        QCOMPARE(SwayIpc::views(R"({"nodes":7,"floating_nodes":[null,"x",{"nodes":{}}]})")->size(), 0);
    }

    void aSocketThatAnswersBadlyGivesNothing()
    {
        const QByteArray tree = R"({"id":1,"nodes":[]})";
        const struct {
            const char *what;
            QByteArray answer;
            bool answered;
        } cases[] = {
            {"a whole reply", header("i3-ipc", quint32(tree.size()), 4) + tree, true},
            {"a reply of another type", header("i3-ipc", quint32(tree.size()), 3) + tree, false},
            {"more than the limit announced", header("i3-ipc", 0xffffffffu, 4) + tree, false},
            {"less sent than announced, then a stall", header("i3-ipc", 1000, 4) + tree, false},
            {"another magic", header("i3-ipx", quint32(tree.size()), 4) + tree, false},
            {"a stall in the header", QByteArray("i3-i"), false},
        };
        for (const auto &test : cases) {
            const QTemporaryDir folder;
            const QString path = folder.filePath(QStringLiteral("ipc.sock"));
            CannedServer server(path, test.answer);
            QVERIFY2(SwayIpc::request(path, SwayIpc::getTreeType, 200)
                         == (test.answered ? std::optional(tree) : std::nullopt),
                     test.what);
            QCOMPARE(server.request, header("i3-ipc", 0, 4));
        }
        QVERIFY(!SwayIpc::request(QStringLiteral("/nonexistent/ipc.sock"), SwayIpc::getTreeType));
    }
};

QTEST_GUILESS_MAIN(SwayIpcTest)
#include "sway_ipc_test.moc"
