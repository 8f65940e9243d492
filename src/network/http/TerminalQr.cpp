#include "network/http/TerminalQr.h"

#include <qrencode.h>

#include <memory>

namespace quillmark {

namespace {

constexpr int kQuietZone = 2;  // modules of light around the code

}  // namespace

QString terminalQrCode(const QByteArray& text) {
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code) {
        return {};
    }
    const int size = code->width;
    // Light on a terminal is the foreground: a full block is a light module, so the code reads
    // right on the usual dark background.
    const auto dark = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < size && y < size && (code->data[y * size + x] & 1) != 0;
    };
    QString lines;
    for (int y = -kQuietZone; y < size + kQuietZone; y += 2) {
        for (int x = -kQuietZone; x < size + kQuietZone; ++x) {
            const bool top = !dark(x, y);
            const bool bottom = !dark(x, y + 1);
            lines += top && bottom ? QChar(0x2588) : top ? QChar(0x2580) : bottom ? QChar(0x2584) : QChar(u' ');
        }
        lines += QLatin1Char('\n');
    }
    return lines;
}

}  // namespace quillmark
