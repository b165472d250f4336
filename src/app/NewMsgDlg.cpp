#include "app/NewMsgDlg.h"

#include "app/MessageBitmaps.h"
#include "astro/CheckedMath.h"
#include "locations/HelpRouter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace orbiclock {
namespace {

constexpr int kPictureSize = 32;
constexpr int kMargin = 8;
constexpr int kButtonSpacing = 4;

bool hasPicture(MessageKind kind)
{
    return kind != MessageKind::Custom;
}

QPixmap pictureOf(MessageKind kind, const QWidget& dialog)
{
    switch (kind) {
    case MessageKind::Warning: return transparentMessageBitmap(MessageBitmap::Warning);
    case MessageKind::Error: return transparentMessageBitmap(MessageBitmap::Error);
    case MessageKind::Information: return transparentMessageBitmap(MessageBitmap::Information);
    case MessageKind::Confirmation:
        return dialog.style()
            ->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, &dialog)
            .pixmap(kPictureSize, kPictureSize);
    case MessageKind::Custom: break;
    }
    return {};
}

} // namespace

QString dialogButtonName(DialogButton button)
{
    switch (button) {
    case DialogButton::Yes: return QStringLiteral("Yes");
    case DialogButton::No: return QStringLiteral("No");
    case DialogButton::OK: return QStringLiteral("OK");
    case DialogButton::Cancel: return QStringLiteral("Cancel");
    case DialogButton::Abort: return QStringLiteral("Abort");
    case DialogButton::Retry: return QStringLiteral("Retry");
    case DialogButton::Ignore: return QStringLiteral("Ignore");
    case DialogButton::All: return QStringLiteral("All");
    case DialogButton::NoToAll: return QStringLiteral("NoToAll");
    case DialogButton::YesToAll: return QStringLiteral("YesToAll");
    case DialogButton::Help: return QStringLiteral("Help");
    }
    return {};
}

QString dialogButtonCaption(DialogButton button)
{
    switch (button) {
    case DialogButton::NoToAll: return QStringLiteral("No to all");
    case DialogButton::YesToAll: return QStringLiteral("Yes to all");
    default: return dialogButtonName(button);
    }
}

std::int16_t dialogButtonResult(DialogButton button)
{
    switch (button) {
    case DialogButton::Yes: return modal::kYes;
    case DialogButton::No: return modal::kNo;
    case DialogButton::OK: return modal::kOK;
    case DialogButton::Cancel: return modal::kCancel;
    case DialogButton::Abort: return modal::kAbort;
    case DialogButton::Retry: return modal::kRetry;
    case DialogButton::Ignore: return modal::kIgnore;
    case DialogButton::All: return modal::kAll;
    case DialogButton::NoToAll: return modal::kNoToAll;
    case DialogButton::YesToAll: return modal::kYesToAll;
    case DialogButton::Help: return 0;
    }
    return 0;
}

QString messageKindCaption(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning: return QStringLiteral("Warning");
    case MessageKind::Error: return QStringLiteral("Varo Studio");
    case MessageKind::Information: return QStringLiteral("Information");
    case MessageKind::Confirmation: return QStringLiteral("Please Confirm");
    case MessageKind::Custom: break;
    }
    return {};
}

MessageDialogLayout layoutMessageDialog(int textWidth, int textHeight, int charWidth, int charHeight,
                                        DialogButtons buttons, bool picture)
{
    MessageDialogLayout l;
    // A button is 50 dialog units wide and 14 high: a quarter and an eighth of the average letter.
    l.buttonWidth = roundHalfAwayToInt32(50.0L * charWidth / 4);
    l.buttonHeight = roundHalfAwayToInt32(14.0L * charHeight / 8);
    l.groupWidth = checkedSub(checkedMul(buttons.count(), checkedAdd(l.buttonWidth, kButtonSpacing)), kButtonSpacing);

    l.textLeft = picture ? kMargin + kPictureSize + kMargin : kMargin;
    l.labelLeft = l.textLeft + kMargin;
    const bool tall = textHeight > kPictureSize;
    // A short text is centred beside the picture's height.
    l.labelTop = tall ? kMargin : (kPictureSize - textHeight) / 2 + kMargin;

    l.clientWidth = checkedAdd(std::max(checkedAdd(textWidth, 2 * kMargin), l.groupWidth), l.textLeft + kMargin);
    l.buttonTop = checkedAdd(std::max(kPictureSize, checkedAdd(l.labelTop, textHeight)), tall ? 12 : 16);

    // From the last ordinal to the first, right to left, the group centred in the window.
    l.buttonLeft.fill(-1);
    int left = checkedSub(checkedAdd((l.clientWidth - l.groupWidth) / 2, l.groupWidth), l.buttonWidth);
    for (int ordinal = kDialogButtonCount - 1; ordinal >= 0; --ordinal) {
        if (!buttons.contains(static_cast<DialogButton>(ordinal)))
            continue;
        l.buttonLeft[static_cast<std::size_t>(ordinal)] = left;
        left = checkedSub(left, checkedAdd(l.buttonWidth, kButtonSpacing));
    }
    l.clientHeight = checkedAdd(checkedAdd(l.buttonTop, l.buttonHeight), kMargin);
    return l;
}

TMessageDialog::TMessageDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("MessageDialog"));
    setSizeGripEnabled(false);
    HelpRouter::attachF1(this);
}

void TMessageDialog::reject()
{
    if (m_cancel != nullptr)
        m_cancel->click();
}

void TMessageDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

std::unique_ptr<TMessageDialog> CreateMessageDialog(const QString& text, MessageKind kind, DialogButtons buttons,
                                                    std::int32_t helpContext, int x, int y, QWidget* parent)
{
    auto dialog = std::make_unique<TMessageDialog>(parent);
    TMessageDialog& d = *dialog;
    d.HelpContext = helpContext;
    HelpRouter::setHelpContext(&d, helpContext);

    // The platform's message font; without one the application's default font stays.
    d.setFont(QApplication::font("QMessageBox"));

    QString caption = messageKindCaption(kind);
    if (caption.isEmpty())
        caption = QApplication::applicationDisplayName();
    d.setWindowTitle(caption);

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenArea = screen != nullptr ? screen->geometry() : QRect();
    const QFontMetrics metrics(d.font());
    const QRect textBox = metrics.boundingRect(QRect(0, 0, screenArea.width() / 8 * 3, 0),
                                               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs,
                                               text);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int charWidth = metrics.horizontalAdvance(letters) / 52;
    const int charHeight = metrics.height();
    d.m_layout = layoutMessageDialog(textBox.width(), textBox.height(), charWidth, charHeight, buttons,
                                     hasPicture(kind));
    const MessageDialogLayout& l = d.m_layout;

    if (hasPicture(kind)) {
        d.m_image = new QLabel(&d);
        d.m_image->setObjectName(QStringLiteral("Image"));
        d.m_image->setGeometry(kMargin, kMargin, kPictureSize, kPictureSize);
        d.m_image->setPixmap(pictureOf(kind, d));
    }

    d.m_text = new QLabel(&d);
    d.m_text->setObjectName(QStringLiteral("Text"));
    d.m_text->setTextFormat(Qt::PlainText);
    d.m_text->setWordWrap(true);
    d.m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    d.m_text->setText(text);
    d.m_text->setGeometry(l.labelLeft, l.labelTop, textBox.width(), textBox.height());

    for (int ordinal = kDialogButtonCount - 1; ordinal >= 0; --ordinal) {
        const auto which = static_cast<DialogButton>(ordinal);
        if (!buttons.contains(which))
            continue;
        auto* b = new QPushButton(dialogButtonCaption(which), &d);
        b->setObjectName(dialogButtonName(which));
        b->setGeometry(l.buttonLeft[static_cast<std::size_t>(ordinal)], l.buttonTop, l.buttonWidth, l.buttonHeight);
        d.m_buttons[static_cast<std::size_t>(ordinal)] = b;
        if (which == DialogButton::Help) {
            TMessageDialog* self = &d;
            QObject::connect(b, &QPushButton::clicked, self,
                             [self] { HelpRouter::requestHelp(self, self->HelpContext); });
        } else {
            const int result = dialogButtonResult(which);
            QObject::connect(b, &QPushButton::clicked, &d, [&d, result] { d.done(result); });
        }
    }
    // The tab order follows the buttons from left to right.
    for (int ordinal = 0, previous = -1; ordinal < kDialogButtonCount; ++ordinal) {
        if (d.m_buttons[static_cast<std::size_t>(ordinal)] == nullptr)
            continue;
        if (previous >= 0)
            QWidget::setTabOrder(d.m_buttons[static_cast<std::size_t>(previous)],
                                 d.m_buttons[static_cast<std::size_t>(ordinal)]);
        previous = ordinal;
    }

    for (const DialogButton preferred : {DialogButton::OK, DialogButton::Yes, DialogButton::Retry}) {
        if (QPushButton* b = d.button(preferred)) {
            d.m_default = b;
            break;
        }
    }
    for (const DialogButton preferred : {DialogButton::Cancel, DialogButton::No, DialogButton::OK}) {
        if (QPushButton* b = d.button(preferred)) {
            d.m_cancel = b;
            break;
        }
    }
    if (d.m_default != nullptr) {
        d.m_default->setDefault(true);
        d.m_default->setFocus();
    }

    d.setFixedSize(l.clientWidth, l.clientHeight);

    if (x == -1 && y == -1) {
        const QSize outer = d.frameGeometry().size();
        d.move(screenArea.x() + (screenArea.width() - outer.width()) / 2,
               screenArea.y() + (screenArea.height() - outer.height()) / 2);
    } else {
        d.move(x, y);
    }
    return dialog;
}

std::int16_t ShowMessageDialog(const QString& text, MessageKind kind, DialogButtons buttons,
                               std::int32_t helpContext, QWidget* parent)
{
    return ShowMessageDialogAt(text, kind, buttons, helpContext, -1, -1, parent);
}

std::int16_t ShowMessageDialogAt(const QString& text, MessageKind kind, DialogButtons buttons,
                                 std::int32_t helpContext, int x, int y, QWidget* parent)
{
    const std::unique_ptr<TMessageDialog> dialog = CreateMessageDialog(text, kind, buttons, helpContext, x, y, parent);
    QApplication::processEvents();
    return static_cast<std::int16_t>(dialog->exec());
}

} // namespace orbiclock
