// A QR code drawn in text for a terminal, so a phone can scan the dashboard's link from the
// logger's start: two rows of modules a line, in half blocks, with the quiet zone around it.
#pragma once

#include <QByteArray>
#include <QString>

namespace quillmark {

// The lines of the code, dark modules as the terminal's background colour is light; empty when
// the text does not fit a QR code.
QString terminalQrCode(const QByteArray& text);

}  // namespace quillmark
