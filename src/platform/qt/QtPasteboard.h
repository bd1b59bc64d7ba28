#pragma once

#include "platform/Pasteboard.h"

class QClipboard;

namespace lettergate {

// The clipboard through Qt, which on X11 learns of every change of owner (XFixes)
// and so can keep the change counter and announce each change as it happens. Reads go
// through QClipboard and so wait for the owner on the calling thread; a backend with a
// reader of its own replaces requestContent.
class QtPasteboard : public Pasteboard {
    Q_OBJECT
public:
    explicit QtPasteboard(QObject *parent = nullptr);

    qint64 changeCount() override;
    void requestContent() override;
    void clear() override;
    bool setString(const QString &text) override;
    void setPrimarySelection(const QString &text) override;
    bool writeImage(const QImage &image) override;

private:
    PasteboardContent currentContent() const;

    QClipboard *m_clipboard;
    qint64 m_changeCount = 0;
};

} // namespace lettergate
