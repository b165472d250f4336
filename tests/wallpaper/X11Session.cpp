#include "X11Session.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <csignal>
#include <thread>

namespace orbiclock::testing_x11 {

ToolRun runTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    ToolRun run;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(30000)) {
        run.errors = process.errorString().toLocal8Bit();
        return run;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(5000);
        run.errors = "timed out";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
}

bool X11Window::hasProperty(const char* name, const char* value) const
{
    for (const QByteArray& line : properties.split('\n')) {
        if (line.startsWith(QByteArray(name) + '(') && line.contains(value))
            return true;
    }
    return false;
}

X11Session::X11Session(int width, int height)
    : m_server(std::make_unique<QProcess>())
{
    // -displayfd 1: the server picks a free display and writes its number to standard output when
    // it accepts connections.
    m_server->setProcessChannelMode(QProcess::SeparateChannels);
    m_server->start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                     QStringLiteral("%1x%2x24").arg(width).arg(height), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!m_server->waitForStarted(30000))
        return;
    QByteArray number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!number.contains('\n') && std::chrono::steady_clock::now() < deadline
           && m_server->state() == QProcess::Running) {
        m_server->waitForReadyRead(500);
        number += m_server->readAllStandardOutput();
    }
    if (number.contains('\n'))
        m_display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
}

X11Session::~X11Session()
{
    if (m_server->state() != QProcess::NotRunning) {
        m_server->terminate();
        if (!m_server->waitForFinished(10000)) {
            m_server->kill();
            m_server->waitForFinished(5000);
        }
    }
}

QImage X11Session::screenshot() const
{
    QTemporaryFile file(QStringLiteral("orbiclock-shot-XXXXXX.png"));
    if (!file.open())
        return {};
    file.close();
    const ToolRun run = runTool(QStringLiteral("import"), {QStringLiteral("-display"), m_display,
                                                          QStringLiteral("-window"), QStringLiteral("root"),
                                                          QStringLiteral("png:") + file.fileName()});
    if (run.exitCode != 0)
        return {};
    QImage image(file.fileName(), "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

std::vector<X11Window> X11Session::topLevelWindows() const
{
    std::vector<X11Window> windows;
    const ToolRun tree = runTool(QStringLiteral("xwininfo"),
                                 {QStringLiteral("-display"), m_display, QStringLiteral("-root"),
                                  QStringLiteral("-children")});
    // A child line: `     0x20001c "title": ("res" "class")  1280x1024+0+0  +0+0`
    static const QRegularExpression line(
        QStringLiteral(R"RE(^\s+(0x[0-9a-f]+) (?:"([^"]*)"|\(has no name\)).*?\s(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\S+$)RE"));
    for (const QByteArray& text : tree.output.split('\n')) {
        const QRegularExpressionMatch match = line.match(QString::fromLocal8Bit(text));
        if (!match.hasMatch())
            continue;
        X11Window window;
        window.id = match.captured(1);
        window.title = match.captured(2);
        window.geometry = QRect(match.captured(5).toInt(), match.captured(6).toInt(), match.captured(3).toInt(),
                                match.captured(4).toInt());
        window.properties = runTool(QStringLiteral("xprop"), {QStringLiteral("-display"), m_display,
                                                              QStringLiteral("-id"), window.id})
                                .output;
        static const QRegularExpression pidLine(QStringLiteral(R"(_NET_WM_PID\(CARDINAL\) = (\d+))"));
        const QRegularExpressionMatch pid = pidLine.match(QString::fromLocal8Bit(window.properties));
        if (pid.hasMatch())
            window.pid = pid.captured(1).toLongLong();
        windows.push_back(window);
    }
    return windows;
}

bool processAlive(qint64 pid)
{
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // The state letter follows the command name in parentheses.
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || close + 2 >= text.size() || text.at(close + 2) != 'Z';
}

void stopProcess(qint64 pid, std::chrono::seconds grace)
{
    if (!processAlive(pid))
        return;
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    if (!waitUntil([pid] { return !processAlive(pid); }, grace))
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

qint64 lockHolder(const QString& lockFile)
{
    QFile file(lockFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

unsigned pixelRgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFFu;
}

} // namespace orbiclock::testing_x11
