#pragma once

#include "platform/qt/QtPasteboard.h"
#include "platform/x11/X11SelectionReader.h"

namespace lettergate {

// The clipboard of an X server: changes and writes through Qt, reads through a
// selection reader of its own, off the GUI thread.
class X11Pasteboard final : public QtPasteboard {
    Q_OBJECT
public:
    explicit X11Pasteboard(std::unique_ptr<X11Display> readerDisplay, QObject *parent = nullptr);

    void requestContent() override;

private:
    X11SelectionReader m_reader;
};

} // namespace lettergate
