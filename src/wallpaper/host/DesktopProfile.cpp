#include "DesktopProfile.h"

#include "HostLog.h"

#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace orbiclock {

namespace {

/// Refused requests are reported up to this many times, so a page that retries on every tick
/// cannot fill the log.
constexpr int kMaxReports = 20;

/// Run before the page's own script: takes away the network interfaces that do not go through the
/// request checks (WebRTC) or that the page has no use for.
constexpr const char* kRestrictScript = R"JS(
(function () {
  var names = ['RTCPeerConnection', 'webkitRTCPeerConnection', 'RTCDataChannel', 'RTCSessionDescription',
               'RTCIceCandidate', 'WebSocket', 'WebTransport', 'EventSource'];
  for (var i = 0; i < names.length; ++i) {
    try {
      Object.defineProperty(window, names[i], {value: undefined, writable: false, configurable: false});
    } catch (e) {}
  }
})();
)JS";

void applySettings(QWebEngineSettings* settings)
{
    using S = QWebEngineSettings;
    const std::pair<S::WebAttribute, bool> attributes[] = {
        {S::JavascriptEnabled, true},
        {S::AutoLoadImages, true},
        {S::LocalContentCanAccessFileUrls, true},
        {S::LocalContentCanAccessRemoteUrls, false},
        {S::PluginsEnabled, false},
        {S::JavascriptCanOpenWindows, false},
        {S::JavascriptCanAccessClipboard, false},
        {S::JavascriptCanPaste, false},
        {S::LocalStorageEnabled, false},
        {S::HyperlinkAuditingEnabled, false},
        {S::ErrorPageEnabled, false},
        {S::FullScreenSupportEnabled, false},
        {S::ScreenCaptureEnabled, false},
        {S::WebGLEnabled, false},
        {S::AutoLoadIconsForPage, false},
        {S::TouchIconsEnabled, false},
        {S::FocusOnNavigationEnabled, false},
        {S::AllowRunningInsecureContent, false},
        {S::AllowGeolocationOnInsecureOrigins, false},
        {S::AllowWindowActivationFromJavaScript, false},
        {S::ShowScrollBars, false},
        {S::PlaybackRequiresUserGesture, true},
        {S::WebRTCPublicInterfacesOnly, true},
        {S::DnsPrefetchEnabled, false},
        {S::PdfViewerEnabled, false},
        {S::NavigateOnDropEnabled, false},
        {S::LinksIncludedInFocusChain, false},
        {S::SpatialNavigationEnabled, false},
    };
    for (const auto& [attribute, on] : attributes)
        settings->setAttribute(attribute, on);
}

} // namespace

AppFolderInterceptor::AppFolderInterceptor(AppFolderPolicy policy, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent)
    , m_policy(std::move(policy))
{
}

void AppFolderInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl();
    if (m_policy.allows(url))
        return;
    info.block(true);
    if (m_reported < kMaxReports) {
        ++m_reported;
        hostLog(QStringLiteral("refused a request of the page: %1").arg(url.toDisplayString()));
    }
}

QWebEngineProfile* createDesktopProfile(const AppFolderPolicy& policy, QObject* parent)
{
    // A profile without a storage name is off the record: no cache, cookies or history on disk.
    auto* profile = new QWebEngineProfile(parent);
    profile->setHttpCacheType(QWebEngineProfile::NoCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    profile->setUrlRequestInterceptor(new AppFolderInterceptor(policy, profile));
    applySettings(profile->settings());

    QWebEngineScript restrict;
    restrict.setName(QStringLiteral("orbiclock-restrict"));
    restrict.setInjectionPoint(QWebEngineScript::DocumentCreation);
    restrict.setWorldId(QWebEngineScript::MainWorld);
    restrict.setRunsOnSubFrames(true);
    restrict.setSourceCode(QString::fromLatin1(kRestrictScript));
    profile->scripts()->insert(restrict);

    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest* download) { download->cancel(); });
    return profile;
}

void addDesktopEngineSwitches()
{
    QByteArray switches = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    switches += " --force-webrtc-ip-handling-policy=disable_non_proxied_udp"
                " --proxy-server=127.0.0.1:9 --proxy-bypass-list=<-loopback>"
                " --disable-background-networking";
    // The page changes once a second; drawing it in software costs a fraction of what an OpenGL
    // context costs where OpenGL itself runs in software (bench/host-idle-cpu: about 2 % against 7 %
    // of one core at 1920 x 1080 on Xvfb). Setting QT_QUICK_BACKEND brings OpenGL back.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) {
        switches += " --disable-gpu";
        qputenv("QT_QUICK_BACKEND", "software");
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", switches.trimmed());
}

} // namespace orbiclock
