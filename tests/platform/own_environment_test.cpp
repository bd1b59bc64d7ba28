#include "platform/OwnEnvironment.h"

#include <QTest>
#include <optional>

class OwnEnvironmentTest : public QObject {
    Q_OBJECT
private slots:
    void oursIsForUsAloneAndTheUsersStaysTheirs()
    {
        struct Row {
            const char *name;
            std::optional<QByteArray> usersValue;
            QByteArray ours;
            QByteArray inOurProcess;
            std::optional<QString> forChildren;  // nothing: left out
        };
        const QList<Row> rows{
            {"LETTERGATE_TEST_UNSET", std::nullopt, "wayland", "wayland", std::nullopt},
            {"LETTERGATE_TEST_EMPTY", QByteArray(""), "xcb", "xcb", std::nullopt},
            {"LETTERGATE_TEST_USERS", QByteArray("xcb"), "wayland", "xcb", QStringLiteral("xcb")},
        };
        for (const Row &row : rows) {
            if (row.usersValue)
                qputenv(row.name, *row.usersValue);
            else
                qunsetenv(row.name);
            OwnEnvironment::setUnlessSet(row.name, row.ours);
        }
        qputenv("LETTERGATE_TEST_UNRELATED", "kept");
        const QProcessEnvironment children = OwnEnvironment::forChildren();
        for (const Row &row : rows) {
            QCOMPARE(qgetenv(row.name), row.inOurProcess);
            const QString name = QString::fromLatin1(row.name);
            QCOMPARE(children.contains(name) ? std::optional(children.value(name)) : std::nullopt, row.forChildren);
            QCOMPARE(OwnEnvironment::names().contains(name), !row.forChildren.has_value());
        }
        QCOMPARE(children.value(QStringLiteral("LETTERGATE_TEST_UNRELATED")), QStringLiteral("kept"));
    }
};

QTEST_GUILESS_MAIN(OwnEnvironmentTest)
#include "own_environment_test.moc"
