#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QLabel>

namespace lettergate {

// An image snippet's picture in its editor, at most `maximumHeight` high and aligned to
// the leading edge. The file is read off the GUI thread; a file that cannot be read
// shows "(image file missing)" in red.
class SnippetImagePreview : public QLabel {
    Q_OBJECT
public:
    static constexpr int maximumHeight = 90;

    // Nothing to read (no file recorded) shows the missing text at once.
    SnippetImagePreview(const std::optional<QString> &path, QWidget *parent = nullptr);

    // Until the read file is shown.
    bool isLoading() const { return m_loading; }
    bool showsMissing() const { return m_missing; }

private:
    void showPicture(const QImage &picture);

    QFutureWatcher<QImage> m_reading;
    bool m_loading = false;
    bool m_missing = false;
};

} // namespace lettergate
