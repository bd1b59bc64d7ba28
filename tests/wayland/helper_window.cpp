// A Wayland client window for the tests: `wayland_helper_window APP_ID TITLE` shows a
// window whose app_id and title are those given, with a line edit that has the keyboard
// focus; every change of its text is printed on standard output, one line each, so a
// test sees what was typed or pasted into it, and so is every change of the keyboard
// focus ("focus: in", "focus: out"), so a test sees another surface take the keyboard.
#include <QApplication>
#include <QLineEdit>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        QTextStream(stderr) << "usage: wayland_helper_window APP_ID TITLE\n";
        return 2;
    }
    // Qt's Wayland plugin gives the window the desktop file name as its app_id.
    QGuiApplication::setDesktopFileName(arguments.at(1));
    QLineEdit edit;
    edit.setWindowTitle(arguments.at(2));
    edit.resize(480, 120);
    QTextStream out(stdout);
    QObject::connect(&edit, &QLineEdit::textChanged,
                     [&out](const QString &text) { out << "text: " << text << Qt::endl; });
    QObject::connect(&application, &QGuiApplication::applicationStateChanged, [&out](Qt::ApplicationState state) {
        out << "focus: " << (state == Qt::ApplicationActive ? "in" : "out") << Qt::endl;
    });
    edit.show();
    return QApplication::exec();
}
