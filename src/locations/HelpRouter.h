#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>

class QWidget;

namespace orbiclock {

class HelpWindow;

/// Turns help context numbers into topic pages of the help bundle and shows them in the program's
/// help window. The main window owns one; every help request of the program reaches it: the Help
/// buttons, F1 in a window, and the message dialog's Help button.
///
/// The help bundle is a folder of HTML pages named after their topic ("Configuration.htm").
class HelpRouter final : public QObject {
    Q_OBJECT

public:
    /// The help context numbers of the windows.
    static constexpr int kMainWindowContext = 40;
    static constexpr int kLocationPropertiesContext = 50;
    static constexpr int kSelectCityContext = 60;

    explicit HelpRouter(QObject* parent = nullptr);
    ~HelpRouter() override;

    /// The help bundle, the folder holding the topic pages.
    void setHelpFile(std::filesystem::path bundle) { m_helpFile = std::move(bundle); }
    const std::filesystem::path& helpFile() const noexcept { return m_helpFile; }

    /// The topic of a context number: 40 "Configuration", 50 "City_Properties", 60 "City_Selection",
    /// anything else (0 included) "Overview".
    static QString topicForContext(int context);
    /// The page that shows `topic`: its own page in the bundle, the overview when that page is
    /// missing, or an empty path when the bundle has neither.
    std::filesystem::path pageForTopic(const QString& topic) const;

    /// Shows the topic of `context` (the overview when its page is missing, a short notice when the
    /// bundle has no pages at all). Returns true: the request was handled.
    bool HelpRouterHelp(int context);
    /// Closes the help window if it is open.
    void closeHelpWindow();
    /// The help window, nullptr before the first request.
    HelpWindow* helpWindow() const noexcept { return m_window.get(); }

    /// Gives a control or window its own help context number (0: none, ask the parent).
    static void setHelpContext(QWidget* widget, int context);
    /// The control's own help context number, 0 when it has none.
    static int helpContext(const QWidget* widget);
    /// The first non-zero help context number on `origin` and then on its parents, up to and
    /// including its window; 0 when there is none.
    static int helpContextFor(const QWidget* origin);
    /// The router that serves `origin`: the one owned by `origin` or one of its parents, else the one
    /// owned by any top-level window. nullptr when the program has none.
    static HelpRouter* routerFor(const QWidget* origin);
    /// Sends a help request for `context` to the router that serves `origin`. Returns false when
    /// there is no router.
    static bool requestHelp(const QWidget* origin, int context);
    /// Makes F1 in `window` request the help context of the focused control (first non-zero up to
    /// the window).
    static void attachF1(QWidget* window);

public slots:
    /// Slot form of `HelpRouterHelp` for dialogs that signal their help requests.
    void showHelp(int context) { HelpRouterHelp(context); }

private:
    std::filesystem::path m_helpFile;
    std::unique_ptr<HelpWindow> m_window;
};

} // namespace orbiclock
