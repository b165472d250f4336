#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;

namespace orbiclock {

/// What a message is about; it sets the dialog's caption and picture.
enum class MessageKind { Warning, Error, Information, Confirmation, Custom };

/// The dialog's buttons, in the order they stand from left to right.
enum class DialogButton { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };
inline constexpr int kDialogButtonCount = 11;

/// A set of dialog buttons: bit n is the button of ordinal n (Yes, No and Cancel are 11).
class DialogButtons {
public:
    constexpr DialogButtons() = default;
    constexpr explicit DialogButtons(std::uint16_t bits) : m_bits(bits & 0x7FFu) {}
    constexpr DialogButtons(std::initializer_list<DialogButton> buttons)
    {
        for (const DialogButton b : buttons)
            m_bits = static_cast<std::uint16_t>(m_bits | bit(b));
    }
    constexpr bool contains(DialogButton b) const noexcept { return (m_bits & bit(b)) != 0; }
    constexpr int count() const noexcept
    {
        int n = 0;
        for (std::uint16_t bits = m_bits; bits != 0; bits = static_cast<std::uint16_t>(bits & (bits - 1)))
            ++n;
        return n;
    }
    constexpr std::uint16_t bits() const noexcept { return m_bits; }

private:
    static constexpr std::uint16_t bit(DialogButton b) noexcept
    {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(b));
    }
    std::uint16_t m_bits = 0;
};
static_assert(DialogButtons{DialogButton::Yes, DialogButton::No, DialogButton::Cancel}.bits() == 11);

/// The result code of each button (the Help button's 0 does not close the dialog).
namespace modal {
inline constexpr std::int16_t kOK = 1;
inline constexpr std::int16_t kCancel = 2;
inline constexpr std::int16_t kAbort = 3;
inline constexpr std::int16_t kRetry = 4;
inline constexpr std::int16_t kIgnore = 5;
inline constexpr std::int16_t kYes = 6;
inline constexpr std::int16_t kNo = 7;
inline constexpr std::int16_t kAll = 8;
inline constexpr std::int16_t kNoToAll = 9;
inline constexpr std::int16_t kYesToAll = 10;
} // namespace modal

/// A button's component name, caption and result code.
QString dialogButtonName(DialogButton button);
QString dialogButtonCaption(DialogButton button);
std::int16_t dialogButtonResult(DialogButton button);
/// The caption of a kind before the empty one is replaced by the application's title.
QString messageKindCaption(MessageKind kind);

/// Where the builder puts everything, from the measured text and character sizes (all in pixels).
struct MessageDialogLayout {
    int buttonWidth = 0;
    int buttonHeight = 0;
    int groupWidth = 0;
    int textLeft = 0;        ///< 8, or 48 beside a picture; the label stands 8 further right
    int labelLeft = 0;
    int labelTop = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int buttonTop = 0;
    std::array<int, kDialogButtonCount> buttonLeft{}; ///< by ordinal; -1 for a button not in the set
};

/// The layout of a dialog whose text measures `textWidth` by `textHeight` and whose font's average
/// letter is `charWidth` wide and `charHeight` high. Example: a one-line text 13 high gets the label
/// top 17 and the buttons at 48; Yes, No and Cancel 75 wide beside a picture with a 300-wide text give
/// a client width of 372 and the buttons at 69, 148 and 227.
MessageDialogLayout layoutMessageDialog(int textWidth, int textHeight, int charWidth, int charHeight,
                                        DialogButtons buttons, bool hasPicture);

class TMessageDialog;

/// Builds the dialog for `text`, sized to it, without showing it: at (x, y) in screen pixels, or
/// centred on the screen when both are -1. `parent` only places it above that window and lets its
/// Help button reach the window's help.
std::unique_ptr<TMessageDialog> CreateMessageDialog(const QString& text, MessageKind kind, DialogButtons buttons,
                                                    std::int32_t helpContext, int x = -1, int y = -1,
                                                    QWidget* parent = nullptr);

/// The program's question dialog, built at run time by `CreateMessageDialog`. It can only be closed
/// by one of its buttons (Enter presses the default one, Escape the cancel one).
class TMessageDialog final : public QDialog {
    Q_OBJECT

public:
    explicit TMessageDialog(QWidget* parent = nullptr);

    /// The help context number the Help button and F1 ask for.
    std::int32_t HelpContext = 0;

    QLabel* image() const noexcept { return m_image; }
    QLabel* text() const noexcept { return m_text; }
    /// The button of `b`, nullptr when it is not in the set.
    QPushButton* button(DialogButton b) const noexcept { return m_buttons[static_cast<std::size_t>(b)]; }
    QPushButton* defaultButton() const noexcept { return m_default; }
    QPushButton* cancelButton() const noexcept { return m_cancel; }
    const MessageDialogLayout& layout() const noexcept { return m_layout; }

    /// Escape: presses the cancel button, if the dialog has one.
    void reject() override;

protected:
    /// The title bar cannot close the dialog.
    void closeEvent(QCloseEvent* event) override;

private:
    friend std::unique_ptr<TMessageDialog> CreateMessageDialog(const QString& text, MessageKind kind,
                                                               DialogButtons buttons, std::int32_t helpContext,
                                                               int x, int y, QWidget* parent);
    QLabel* m_image = nullptr;
    QLabel* m_text = nullptr;
    std::array<QPushButton*, kDialogButtonCount> m_buttons{};
    QPushButton* m_default = nullptr;
    QPushButton* m_cancel = nullptr;
    MessageDialogLayout m_layout;
};

/// Shows the dialog modally, centred on the screen, and returns the result code of the button that
/// closed it. The set must hold a button that closes the dialog, or it cannot be closed.
std::int16_t ShowMessageDialog(const QString& text, MessageKind kind, DialogButtons buttons,
                               std::int32_t helpContext, QWidget* parent = nullptr);
/// As `ShowMessageDialog`, with the dialog's top left corner at (x, y) unless both are -1.
std::int16_t ShowMessageDialogAt(const QString& text, MessageKind kind, DialogButtons buttons,
                                 std::int32_t helpContext, int x, int y, QWidget* parent = nullptr);

} // namespace orbiclock
