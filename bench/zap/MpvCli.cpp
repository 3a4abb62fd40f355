#include "MpvCli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

MpvCli::MpvCli(QSize window) {
    mpv_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mpv_.setStandardOutputFile(QProcess::nullDevice());
    mpv_.start(QStringLiteral("mpv"),
               {"--no-config", "--load-scripts=no", "--ytdl=no", "--osc=no",
                "--load-stats-overlay=no", "--load-osd-console=no", "--load-auto-profiles=no",
                "--no-terminal", "--idle=yes", "--force-window=yes", "--volume=0", "--vo=gpu",
                "--gpu-api=opengl", "--opengl-sw=yes",
                QStringLiteral("--geometry=%1x%2").arg(window.width()).arg(window.height()),
                "--input-ipc-server=" + dir_.filePath("ipc")});
    connect(&ipc_, &QLocalSocket::readyRead, this, &MpvCli::readEvents);
    connectIpc();
}

MpvCli::~MpvCli() {
    send({"quit"});
    ipc_.flush();
    if (!mpv_.waitForFinished(5000))
        mpv_.kill();
}

qint64 MpvCli::pid() const {
    return mpv_.processId();
}

void MpvCli::tune(const QString &url) {
    waiting_ = true;
    started_ = false;
    send({"loadfile", url, "replace"});
}

// The socket appears once mpv has set itself up; until then, try again shortly.
void MpvCli::connectIpc() {
    ipc_.connectToServer(dir_.filePath("ipc"));
    if (ipc_.waitForConnected(100)) {
        QMetaObject::invokeMethod(this, &ZapSubject::ready, Qt::QueuedConnection);
        return;
    }
    if (mpv_.state() == QProcess::NotRunning)
        qFatal("mpv did not start");
    QTimer::singleShot(20, this, &MpvCli::connectIpc);
}

void MpvCli::readEvents() {
    while (ipc_.canReadLine()) {
        const QJsonObject message = QJsonDocument::fromJson(ipc_.readLine()).object();
        const QString event = message.value("event").toString();
        if (event == u"start-file" && waiting_)
            started_ = true;
        if (event == u"playback-restart" && waiting_ && started_) {
            waiting_ = false;
            emit shown();
        }
    }
}

void MpvCli::send(const QJsonArray &command) {
    ipc_.write(QJsonDocument(QJsonObject{{"command", command}}).toJson(QJsonDocument::Compact) +
               '\n');
}
