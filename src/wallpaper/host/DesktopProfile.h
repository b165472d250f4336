#pragma once

#include "wallpaper/host/AppFolderPolicy.h"

#include <QWebEngineUrlRequestInterceptor>

class QObject;
class QWebEngineProfile;

namespace orbiclock {

/// Refuses every request the page makes except those `AppFolderPolicy` allows, and says which.
class AppFolderInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT

public:
    AppFolderInterceptor(AppFolderPolicy policy, QObject* parent);
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    AppFolderPolicy m_policy;
    int m_reported = 0;
};

/// A browser profile for the desktop page: nothing stored on disk, script on, plugins, storage,
/// clipboard, windows, full screen, WebGL and downloads off, and every request checked by `policy`.
QWebEngineProfile* createDesktopProfile(const AppFolderPolicy& policy, QObject* parent);

/// Chromium switches for the host, added before the engine starts: no WebRTC traffic outside a
/// proxy, and a proxy that leads nowhere, so no request slips past the checks; software drawing
/// unless QT_QUICK_BACKEND asks for another.
void addDesktopEngineSwitches();

} // namespace orbiclock
