#include "platform/x11/X11Pasteboard.h"

#include "platform/x11/X11Display.h"

namespace lettergate {

X11Pasteboard::X11Pasteboard(std::unique_ptr<X11Display> readerDisplay, QObject *parent)
    : QtPasteboard(parent)
    , m_reader(std::move(readerDisplay))
{
    connect(&m_reader, &X11SelectionReader::contentRead, this, &Pasteboard::contentRead);
}

void X11Pasteboard::requestContent()
{
    m_reader.requestContent();
}

} // namespace lettergate
