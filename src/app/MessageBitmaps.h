#pragma once

#include <QPixmap>

namespace orbiclock {

/// The message dialog's own pictures, 32 by 32, built into the program.
enum class MessageBitmap { Warning, Error, Information };

/// The picture as drawn, its key colour (pure green in the shipped pictures) still opaque.
QImage messageBitmapImage(MessageBitmap bitmap);

/// The picture ready to show: every pixel of the colour of its bottom-left pixel is transparent.
QPixmap transparentMessageBitmap(MessageBitmap bitmap);

/// `image` with every pixel of the colour of its bottom-left pixel made transparent.
QImage withBottomLeftColourTransparent(const QImage& image);

} // namespace orbiclock
