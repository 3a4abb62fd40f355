#include "app/MainForm.h"
#include "form/Design.h"
#include "player/MpvPlayer.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RURE DIVU"));
    QApplication::setOrganizationName(QString::fromUtf8(design::Company));
    QApplication::setApplicationVersion(QString::fromUtf8(design::Version));
    QApplication::setWindowIcon(appIcon());
    // Lets the desktop match the window to its launcher and icon.
    QApplication::setDesktopFileName(QStringLiteral(RUREDIVU_APP_ID));
    MpvPlayer player;
    MainForm form(player);
    form.show();
    return QApplication::exec();
}
