#include "app/Application.h"

#include "app/MainForm.h"
#include "form/Design.h"
#include "player/ProcessSettings.h"

#include <QApplication>

QString applicationVersion() {
    return QString::fromUtf8(design::Version);
}

void setUpApplication() {
    applyProcessSettings();
    QApplication::setApplicationName(QStringView(design::Title).toString());
    QApplication::setOrganizationName(QString::fromUtf8(design::Company));
    QApplication::setApplicationVersion(applicationVersion());
    QApplication::setWindowIcon(appIcon());
    // Lets the desktop match the window to its launcher and icon.
    QApplication::setDesktopFileName(QStringLiteral(RUREDIVU_APP_ID));
}
