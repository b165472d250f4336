#pragma once

#include <QWidget>

#include <filesystem>

class QPushButton;
class QTextBrowser;

namespace orbiclock {

/// The program's help viewer: one window with the topic pages of the help bundle, their links, and
/// Contents, Back, Forward and Close buttons. Links out of the bundle open in the desktop's browser.
/// It never keeps the application running on its own.
class HelpWindow final : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    /// Shows `page`, a page of the bundle; `contents` is the page the Contents button returns to.
    void showPage(const std::filesystem::path& page, const std::filesystem::path& contents);
    /// Says that the help bundle `bundle` holds no page to show.
    void showMissingHelp(const std::filesystem::path& bundle);

    /// The page on display, empty while the missing-help text is shown.
    std::filesystem::path currentPage() const;
    QTextBrowser* browser() const noexcept { return m_browser; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateButtons();

    QTextBrowser* m_browser = nullptr;
    QPushButton* m_btnContents = nullptr;
    QPushButton* m_btnBack = nullptr;
    QPushButton* m_btnForward = nullptr;
    QPushButton* m_btnClose = nullptr;
    std::filesystem::path m_contents;
    bool m_missing = false; ///< the missing-help text is on display
    bool m_placed = false;
};

} // namespace orbiclock
