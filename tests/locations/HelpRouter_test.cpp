// Help requests: context numbers to topics, the shipped pages, missing pages, and how a request finds
// its context and its router.

#include "locations/HelpRouter.h"

#include "locations/HelpWindow.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace orbiclock {
namespace {

namespace fs = std::filesystem;

const fs::path kShippedHelp = fs::path(ORBICLOCK_SOURCE_DIR) / "assets" / "help";

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct TopicCase {
    const char* name;
    int context;
    const char* topic;
};

TEST(HelpRouter, EveryContextNumberShowsItsTopicPage)
{
    const TopicCase cases[] = {
        {"overview", 0, "Overview"},           {"mainWindow", 40, "Configuration"},
        {"properties", 50, "City_Properties"}, {"citySelection", 60, "City_Selection"},
        {"unlisted", 70, "Overview"},          {"negative", -1, "Overview"},
        {"neighbour", 41, "Overview"},
    };
    HelpRouter router;
    router.setHelpFile(kShippedHelp);
    for (const auto& c : cases) {
        EXPECT_EQ(HelpRouter::topicForContext(c.context).toStdString(), c.topic) << c.name;
        EXPECT_TRUE(router.HelpRouterHelp(c.context)) << c.name;
        ASSERT_NE(router.helpWindow(), nullptr);
        EXPECT_TRUE(router.helpWindow()->isVisible()) << c.name;
        EXPECT_EQ(router.helpWindow()->currentPage(), kShippedHelp / (std::string(c.topic) + ".htm")) << c.name;
        EXPECT_FALSE(router.helpWindow()->browser()->toPlainText().isEmpty()) << c.name;
    }
    router.closeHelpWindow();
    EXPECT_FALSE(router.helpWindow()->isVisible());
}

TEST(HelpRouter, AMissingPageShowsTheOverviewAndNoPagesAtAllANotice)
{
    const fs::path bundle = fs::temp_directory_path() / "orbiclock-help-missing";
    fs::remove_all(bundle);
    fs::create_directories(bundle);
    fs::copy_file(kShippedHelp / "Overview.htm", bundle / "Overview.htm");

    HelpRouter router;
    router.setHelpFile(bundle);
    EXPECT_EQ(router.pageForTopic("City_Properties"), bundle / "Overview.htm");
    router.HelpRouterHelp(50);
    EXPECT_EQ(router.helpWindow()->currentPage(), bundle / "Overview.htm");

    fs::remove(bundle / "Overview.htm");
    EXPECT_TRUE(router.pageForTopic("City_Properties").empty());
    EXPECT_TRUE(router.HelpRouterHelp(50));
    EXPECT_TRUE(router.helpWindow()->currentPage().empty());
    EXPECT_TRUE(router.helpWindow()->browser()->toPlainText().contains("not installed"));

    // The pages come back: the same page shows again instead of the notice.
    fs::copy_file(kShippedHelp / "Overview.htm", bundle / "Overview.htm");
    router.HelpRouterHelp(50);
    EXPECT_EQ(router.helpWindow()->currentPage(), bundle / "Overview.htm");
    EXPECT_FALSE(router.helpWindow()->browser()->toPlainText().contains("not installed"));

    HelpRouter unset; // before the main window has set the help file
    EXPECT_TRUE(unset.HelpRouterHelp(40));
    EXPECT_TRUE(unset.helpWindow()->currentPage().empty());
    fs::remove_all(bundle);
}

TEST(HelpPages, ShippedPagesLinkOnlyToPagesThatExistAndCreditTheirSources)
{
    const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)\""));
    for (const char* page : {"Overview.htm", "Configuration.htm", "City_Properties.htm", "City_Selection.htm"}) {
        const std::string text = readFile(kShippedHelp / page);
        ASSERT_FALSE(text.empty()) << page;
        auto matches = link.globalMatch(QString::fromStdString(text));
        while (matches.hasNext()) {
            const std::string target = matches.next().captured(1).toStdString();
            EXPECT_TRUE(fs::is_regular_file(kShippedHelp / target)) << page << " links to " << target;
        }
    }
    const std::string overview = readFile(kShippedHelp / "Overview.htm");
    for (const char* credit : {"GeoNames", "CC BY 4.0", "IANA time zone database", "Natural Earth", "public domain"})
        EXPECT_NE(overview.find(credit), std::string::npos) << credit;
}

TEST(HelpContext, FirstNonZeroNumberUpToTheWindow)
{
    QWidget owner; // a window with its own number, which a dialog of its own must not inherit
    HelpRouter::setHelpContext(&owner, 40);
    QDialog dialog(&owner);
    HelpRouter::setHelpContext(&dialog, 60);
    auto* group = new QGroupBox(&dialog);
    auto* inGroup = new QPushButton(group);
    auto* ownNumber = new QPushButton(group);
    HelpRouter::setHelpContext(ownNumber, 70);
    QDialog bare(&owner);
    auto* inBare = new QPushButton(&bare);

    EXPECT_EQ(HelpRouter::helpContextFor(inGroup), 60);
    EXPECT_EQ(HelpRouter::helpContextFor(ownNumber), 70);
    EXPECT_EQ(HelpRouter::helpContextFor(group), 60);
    EXPECT_EQ(HelpRouter::helpContextFor(inBare), 0) << "the search stops at the window";
    EXPECT_EQ(HelpRouter::helpContextFor(&owner), 40);
}

TEST(HelpContext, RequestsReachTheRouterOfTheOwningWindowOrOfAnyTopLevelWindow)
{
    QWidget mainWindow;
    auto* router = new HelpRouter(&mainWindow);
    router->setHelpFile(kShippedHelp);
    QDialog child(&mainWindow);
    auto* button = new QPushButton(&child);
    EXPECT_EQ(HelpRouter::routerFor(button), router);
    EXPECT_TRUE(HelpRouter::requestHelp(button, 60));
    EXPECT_EQ(router->helpWindow()->currentPage(), kShippedHelp / "City_Selection.htm");

    QDialog ownerless; // as the message dialog is: owned by nobody
    EXPECT_EQ(HelpRouter::routerFor(&ownerless), router);
    router->closeHelpWindow();

    delete router;
    EXPECT_EQ(HelpRouter::routerFor(&ownerless), nullptr);
    EXPECT_FALSE(HelpRouter::requestHelp(&ownerless, 0));
}

TEST(HelpWindow, NavigatesBetweenPagesAndNeverKeepsTheProgramRunning)
{
    HelpWindow window;
    EXPECT_FALSE(window.testAttribute(Qt::WA_QuitOnClose));
    window.showPage(kShippedHelp / "Configuration.htm", kShippedHelp / "Overview.htm");
    window.findChild<QPushButton*>("btnContents")->click();
    EXPECT_EQ(window.currentPage(), kShippedHelp / "Overview.htm");
    auto* back = window.findChild<QPushButton*>("btnBack");
    EXPECT_TRUE(back->isEnabled());
    back->click();
    EXPECT_EQ(window.currentPage(), kShippedHelp / "Configuration.htm");
    EXPECT_TRUE(window.findChild<QPushButton*>("btnForward")->isEnabled());
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
