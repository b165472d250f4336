// The message dialog: its layout rules, the dialog built from a real font, its buttons and keys,
// and its pictures.

#include "app/NewMsgDlg.h"

#include "app/MessageBitmaps.h"
#include "locations/HelpRouter.h"
#include "locations/HelpWindow.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

namespace orbiclock {
namespace {

const DialogButtons kYesNoCancel{DialogButton::Yes, DialogButton::No, DialogButton::Cancel};
const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

// The layout from given measurements: the worked examples of the layout rules.
TEST(MessageDialogLayout, OneLineTextIsCentredBesideThePicture)
{
    // An 8-point font: letters 6 wide and 13 high.
    const MessageDialogLayout l = layoutMessageDialog(200, 13, 6, 13, kYesNoCancel, true);
    EXPECT_EQ(l.labelTop, 17);
    EXPECT_EQ(l.buttonTop, 48) << "max(32, 30) + 16";
    EXPECT_EQ(l.buttonWidth, 75);
    EXPECT_EQ(l.buttonHeight, 23) << "14 x 13 / 8 = 22.75";
    EXPECT_EQ(l.clientHeight, 48 + 23 + 8);
}

TEST(MessageDialogLayout, FiveLineTextStartsAtTheTop)
{
    const MessageDialogLayout l = layoutMessageDialog(200, 65, 6, 13, kYesNoCancel, true);
    EXPECT_EQ(l.labelTop, 8);
    EXPECT_EQ(l.buttonTop, 85) << "73 + 12";
}

TEST(MessageDialogLayout, YesNoCancelGroupIsCentred)
{
    const MessageDialogLayout l = layoutMessageDialog(300, 13, 6, 13, kYesNoCancel, true);
    EXPECT_EQ(l.buttonWidth, 75);
    EXPECT_EQ(l.groupWidth, 233);
    EXPECT_EQ(l.textLeft, 48);
    EXPECT_EQ(l.labelLeft, 56);
    EXPECT_EQ(l.clientWidth, 372) << "316 + 48 + 8";
    EXPECT_EQ(l.buttonLeft[static_cast<int>(DialogButton::Yes)], 69);
    EXPECT_EQ(l.buttonLeft[static_cast<int>(DialogButton::No)], 148);
    EXPECT_EQ(l.buttonLeft[static_cast<int>(DialogButton::Cancel)], 227);
    for (const DialogButton absent : {DialogButton::OK, DialogButton::Help, DialogButton::YesToAll})
        EXPECT_EQ(l.buttonLeft[static_cast<int>(absent)], -1);
}

TEST(MessageDialogLayout, WideButtonGroupSetsTheWidthAndCustomHasNoPicture)
{
    const DialogButtons all(0x7FF);
    const MessageDialogLayout l = layoutMessageDialog(40, 13, 6, 13, all, false);
    EXPECT_EQ(l.groupWidth, 11 * 79 - 4);
    EXPECT_EQ(l.textLeft, 8);
    EXPECT_EQ(l.labelLeft, 16);
    EXPECT_EQ(l.clientWidth, l.groupWidth + 16);
    EXPECT_EQ(l.buttonLeft[0], (l.clientWidth - l.groupWidth) / 2);
    EXPECT_EQ(l.buttonLeft[10], l.buttonLeft[0] + 10 * 79);
}

TEST(MessageDialogLayout, ButtonSizesRoundHalvesUp)
{
    // 50 x 7 / 4 = 87.5 and 14 x 12 / 8 = 21 exactly; 14 x 15 / 8 = 26.25.
    EXPECT_EQ(layoutMessageDialog(0, 13, 7, 12, kYesNoCancel, true).buttonWidth, 88);
    EXPECT_EQ(layoutMessageDialog(0, 13, 7, 12, kYesNoCancel, true).buttonHeight, 21);
    EXPECT_EQ(layoutMessageDialog(0, 13, 7, 15, kYesNoCancel, true).buttonHeight, 26);
}

// The dialog as built, measured with the font it really gets on this machine.
class BuiltDialog : public ::testing::Test {
protected:
    static QFontMetrics metrics(const TMessageDialog& d) { return QFontMetrics(d.font()); }
    static int charWidth(const TMessageDialog& d) { return metrics(d).horizontalAdvance(kLetters) / 52; }
};

TEST_F(BuiltDialog, OneLineQuestion)
{
    const QString text = QStringLiteral("Update the wallpaper now ?");
    const auto d = CreateMessageDialog(text, MessageKind::Confirmation, kYesNoCancel, 0);
    const QFontMetrics fm = metrics(*d);
    ASSERT_LT(fm.horizontalAdvance(text), QGuiApplication::primaryScreen()->geometry().width() / 8 * 3)
        << "the text must fit on one line for this case";
    const int th = fm.height(); // one line
    ASSERT_LE(th, 32);
    const int cw = charWidth(*d);
    const int bw = (50 * cw + 2) / 4;
    const int bh = (14 * fm.height() + 4) / 8;

    EXPECT_EQ(d->font(), QApplication::font("QMessageBox"));
    EXPECT_EQ(d->windowTitle(), "Please Confirm");
    EXPECT_FALSE(d->windowFlags() & Qt::WindowCloseButtonHint) << "no close command";
    EXPECT_FALSE(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    ASSERT_NE(d->image(), nullptr);
    EXPECT_EQ(d->image()->objectName(), "Image");
    EXPECT_EQ(d->image()->geometry(), QRect(8, 8, 32, 32));
    EXPECT_FALSE(d->image()->pixmap().isNull()) << "the system's question icon";

    QLabel* label = d->text();
    EXPECT_EQ(label->objectName(), "Text");
    EXPECT_EQ(label->text(), text);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->height(), th);
    EXPECT_NEAR(label->width(), fm.horizontalAdvance(text), 1) << "one line of the whole text";
    EXPECT_EQ(label->geometry().topLeft(), QPoint(56, (32 - th) / 2 + 8));

    const int buttonTop = std::max(32, label->y() + th) + 16;
    const int groupWidth = 3 * (bw + 4) - 4;
    const int clientWidth = std::max(label->width() + 16, groupWidth) + 48 + 8;
    EXPECT_EQ(d->size(), QSize(clientWidth, buttonTop + bh + 8));
    EXPECT_EQ(d->minimumSize(), d->maximumSize()) << "fixed size";

    const char* names[] = {"Yes", "No", "Cancel"};
    int expectedLeft = (clientWidth - groupWidth) / 2;
    for (const char* name : names) {
        auto* b = d->findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), name);
        EXPECT_EQ(b->geometry(), QRect(expectedLeft, buttonTop, bw, bh)) << name;
        expectedLeft += bw + 4;
    }
    EXPECT_EQ(d->findChildren<QPushButton*>().size(), 3);
    EXPECT_EQ(d->defaultButton(), d->button(DialogButton::Yes));
    EXPECT_TRUE(d->defaultButton()->isDefault());
    EXPECT_EQ(d->cancelButton(), d->button(DialogButton::Cancel));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(d->pos(), QPoint((screen.width() - d->frameGeometry().width()) / 2,
                               (screen.height() - d->frameGeometry().height()) / 2));
}

TEST_F(BuiltDialog, FiveLineCustomText)
{
    const QString text = QStringLiteral("First line\nSecond line\nThird line\nFourth line\nFifth line");
    const auto d = CreateMessageDialog(text, MessageKind::Custom, DialogButtons{DialogButton::OK}, 0, 30, 40);
    const QFontMetrics fm = metrics(*d);
    const int th = 5 * fm.height() + 4 * fm.leading();
    ASSERT_GT(th, 32);

    EXPECT_EQ(d->windowTitle(), QApplication::applicationDisplayName()) << "Custom takes the application's title";
    EXPECT_EQ(d->image(), nullptr);
    EXPECT_EQ(d->text()->geometry().topLeft(), QPoint(16, 8));
    EXPECT_EQ(d->text()->height(), th);
    const int buttonTop = 8 + th + 12;
    EXPECT_EQ(d->button(DialogButton::OK)->y(), buttonTop);
    EXPECT_EQ(d->height(), buttonTop + d->button(DialogButton::OK)->height() + 8);
    EXPECT_EQ(d->pos(), QPoint(30, 40));
    EXPECT_EQ(d->defaultButton(), d->button(DialogButton::OK));
    EXPECT_EQ(d->cancelButton(), d->button(DialogButton::OK)) << "OK is the cancel button when it is the only one";
}

TEST_F(BuiltDialog, LongTextWrapsAtThreeEighthsOfTheScreen)
{
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("wallpaper ");
    const auto d = CreateMessageDialog(text, MessageKind::Information, DialogButtons{DialogButton::OK}, 0);
    const int wrapWidth = QGuiApplication::primaryScreen()->geometry().width() / 8 * 3;
    EXPECT_LE(d->text()->width(), wrapWidth);
    EXPECT_GT(d->text()->width(), wrapWidth / 2);
    EXPECT_GT(d->text()->height(), 2 * metrics(*d).height());
    EXPECT_EQ(d->text()->y(), 8);
    EXPECT_EQ(d->text()->heightForWidth(d->text()->width()), d->text()->height())
        << "the label needs no more room than was measured";
}

TEST(MessageDialog, CaptionsNamesAndResultsOfEveryKindAndButton)
{
    const std::pair<MessageKind, const char*> kinds[] = {{MessageKind::Warning, "Warning"},
                                                         {MessageKind::Error, "Varo Studio"},
                                                         {MessageKind::Information, "Information"},
                                                         {MessageKind::Confirmation, "Please Confirm"}};
    for (const auto& [kind, caption] : kinds) {
        const auto d = CreateMessageDialog("x", kind, DialogButtons{DialogButton::OK}, 0);
        EXPECT_EQ(d->windowTitle(), caption);
        ASSERT_NE(d->image(), nullptr) << caption;
        EXPECT_FALSE(d->image()->pixmap().isNull()) << caption;
    }

    struct ButtonCase {
        DialogButton button;
        const char* name;
        const char* caption;
        int result;
    };
    const ButtonCase buttons[] = {
        {DialogButton::Yes, "Yes", "Yes", 6},          {DialogButton::No, "No", "No", 7},
        {DialogButton::OK, "OK", "OK", 1},             {DialogButton::Cancel, "Cancel", "Cancel", 2},
        {DialogButton::Abort, "Abort", "Abort", 3},    {DialogButton::Retry, "Retry", "Retry", 4},
        {DialogButton::Ignore, "Ignore", "Ignore", 5}, {DialogButton::All, "All", "All", 8},
        {DialogButton::NoToAll, "NoToAll", "No to all", 9}, {DialogButton::YesToAll, "YesToAll", "Yes to all", 10},
        {DialogButton::Help, "Help", "Help", 0},
    };
    const auto all = CreateMessageDialog("x", MessageKind::Custom, DialogButtons(0x7FF), 0);
    int previousLeft = -1;
    for (const auto& b : buttons) {
        EXPECT_EQ(dialogButtonResult(b.button), b.result) << b.name;
        QPushButton* pb = all->button(b.button);
        ASSERT_NE(pb, nullptr) << b.name;
        EXPECT_EQ(pb->objectName(), b.name);
        EXPECT_EQ(pb->text(), b.caption);
        EXPECT_GT(pb->x(), previousLeft) << b.name << " stands right of the button before it";
        previousLeft = pb->x();
    }
}

TEST(MessageDialog, DefaultAndCancelButtonsByPreference)
{
    using B = DialogButton;
    struct Case {
        const char* name;
        DialogButtons set;
        std::optional<B> defaultButton;
        std::optional<B> cancelButton;
    };
    const Case cases[] = {
        {"yesNoCancel", {B::Yes, B::No, B::Cancel}, B::Yes, B::Cancel},
        {"okCancel", {B::OK, B::Cancel}, B::OK, B::Cancel},
        {"okBeatsYes", {B::Yes, B::OK}, B::OK, B::OK},
        {"yesNo", {B::Yes, B::No}, B::Yes, B::No},
        {"retryCancel", {B::Retry, B::Cancel}, B::Retry, B::Cancel},
        {"abortRetryIgnore", {B::Abort, B::Retry, B::Ignore}, B::Retry, std::nullopt},
        {"ignoreOnly", {B::Ignore}, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto d = CreateMessageDialog("x", MessageKind::Custom, c.set, 0);
        EXPECT_EQ(d->defaultButton(), c.defaultButton ? d->button(*c.defaultButton) : nullptr) << c.name;
        EXPECT_EQ(d->cancelButton(), c.cancelButton ? d->button(*c.cancelButton) : nullptr) << c.name;
    }
}

/// Runs `action` on the modal dialog once its loop runs. The builder lets pending events run before
/// it shows the dialog, so the first turns of the event loop may still find none.
void whenModal(std::function<void(QWidget*)> action, int turnsLeft = 1000)
{
    QTimer::singleShot(0, [action, turnsLeft] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            action(dialog);
        else if (turnsLeft > 0)
            whenModal(action, turnsLeft - 1);
        else
            ADD_FAILURE() << "the dialog never became modal";
    });
}

void pressKey(QWidget* dialog, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(dialog, &press);
}

TEST(ShowMessageDialog, ReturnsTheCodeOfTheButtonThatClosedIt)
{
    const QString question = QStringLiteral("Do you wish to update the wallpaper to reflect changes made ?");
    whenModal([](QWidget* d) { pressKey(d, Qt::Key_Return); });
    EXPECT_EQ(ShowMessageDialog(question, MessageKind::Confirmation, kYesNoCancel, 0), 6) << "Enter answers Yes";

    whenModal([](QWidget* d) { pressKey(d, Qt::Key_Escape); });
    EXPECT_EQ(ShowMessageDialog(question, MessageKind::Confirmation, kYesNoCancel, 0), 2) << "Escape answers Cancel";

    whenModal([](QWidget* d) { d->findChild<QPushButton*>("No")->click(); });
    EXPECT_EQ(ShowMessageDialogAt(question, MessageKind::Confirmation, kYesNoCancel, 0, 10, 10), 7);

    // Neither the title bar nor Escape closes a dialog without a cancel button.
    whenModal([](QWidget* d) {
        EXPECT_FALSE(d->close());
        pressKey(d, Qt::Key_Escape);
        EXPECT_TRUE(d->isVisible());
        d->findChild<QPushButton*>("Abort")->click();
    });
    EXPECT_EQ(ShowMessageDialog("x", MessageKind::Error, {DialogButton::Abort, DialogButton::Retry}, 0), 3);
}

TEST(ShowMessageDialog, HelpButtonOpensTheContextAndLeavesTheDialogOpen)
{
    QWidget mainWindow;
    auto* router = new HelpRouter(&mainWindow);
    router->setHelpFile(std::filesystem::path(ORBICLOCK_SOURCE_DIR) / "assets" / "help");
    bool stillOpen = false;
    std::filesystem::path shown;
    whenModal([&](QWidget* d) {
        d->findChild<QPushButton*>("Help")->click();
        stillOpen = d->isVisible();
        shown = router->helpWindow() != nullptr ? router->helpWindow()->currentPage() : std::filesystem::path();
        router->closeHelpWindow();
        d->findChild<QPushButton*>("OK")->click();
    });
    EXPECT_EQ(ShowMessageDialog("x", MessageKind::Information, {DialogButton::OK, DialogButton::Help}, 50), 1);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(shown.filename(), "City_Properties.htm");
}

TEST(MessageBitmaps, PureGreenBackgroundIsTransparentAndThePictureIsNot)
{
    for (const MessageBitmap b : {MessageBitmap::Warning, MessageBitmap::Error, MessageBitmap::Information}) {
        const QImage drawn = messageBitmapImage(b);
        ASSERT_EQ(drawn.size(), QSize(32, 32));
        EXPECT_EQ(QColor(drawn.pixel(0, 31)), QColor(0, 255, 0)) << "the shipped key colour";
        const QImage shown = withBottomLeftColourTransparent(drawn);
        int transparent = 0;
        int opaque = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const bool isKey = (drawn.pixel(x, y) & 0xFFFFFFu) == 0x00FF00u;
                EXPECT_EQ(qAlpha(shown.pixel(x, y)), isKey ? 0 : 255) << x << "," << y;
                (isKey ? transparent : opaque)++;
            }
        }
        EXPECT_GT(transparent, 100);
        EXPECT_GT(opaque, 300) << "the picture itself fills a good part of the square";
    }
    // The key is whatever the bottom-left pixel holds.
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    red.setPixel(1, 1, qRgb(0, 0, 255));
    const QImage keyed = withBottomLeftColourTransparent(red);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(keyed.pixel(1, 1)), 255);
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Orbiclock"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
