#include "app/MessageBitmaps.h"

// The pictures are XPM images, which are C source; tools/make_message_bitmaps.py draws them.
#include "../../assets/bitmaps/Error.xpm"
#include "../../assets/bitmaps/Information.xpm"
#include "../../assets/bitmaps/Warning.xpm"

namespace orbiclock {

QImage messageBitmapImage(MessageBitmap bitmap)
{
    switch (bitmap) {
    case MessageBitmap::Warning: return QImage(warning_xpm);
    case MessageBitmap::Error: return QImage(error_xpm);
    case MessageBitmap::Information: return QImage(information_xpm);
    }
    return {};
}

QImage withBottomLeftColourTransparent(const QImage& image)
{
    if (image.isNull())
        return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = out.pixel(0, out.height() - 1) | 0xFF000000u;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return out;
}

QPixmap transparentMessageBitmap(MessageBitmap bitmap)
{
    return QPixmap::fromImage(withBottomLeftColourTransparent(messageBitmapImage(bitmap)));
}

} // namespace orbiclock
