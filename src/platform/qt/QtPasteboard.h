#pragma once

#include "platform/Pasteboard.h"

class QClipboard;

// The clipboard through Qt, which on X11 learns of every change of owner (XFixes)
// and so can keep the change counter and announce each change as it happens.
class QtPasteboard final : public Pasteboard {
    Q_OBJECT
public:
    explicit QtPasteboard(QObject *parent = nullptr);

    qint64 changeCount() override;
    bool isMarkedSecret() override;
    std::optional<QString> string() override;
    std::optional<QImage> image() override;
    void clear() override;
    bool setString(const QString &text) override;
    bool writeImage(const QImage &image) override;

private:
    QClipboard *m_clipboard;
    qint64 m_changeCount = 0;
};
