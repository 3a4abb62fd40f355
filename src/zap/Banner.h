#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

class QPainter;
struct Channel;

// What the banner tells of the channel's programmes: the one on now, with how far it has run,
// and the next. Each is its times and title ("20:00–21:00 News"); empty when there is none.
struct BannerProgrammes {
    QString now;
    qreal run = 0; // from 0 to 1
    QString next;
};

// The on-screen banner over the video: the channel's number, name and logo, its programmes on
// now and next where the guide has them, and the connection's status, or the digits being typed.
// A child of the video area, it goes into full screen with the video and scales with it; it never
// takes the focus or a click.
class Banner : public QWidget {
    Q_OBJECT
public:
    // `status` gives the connection monitor's text as it stands, `programmes` those of the channel
    // shown.
    Banner(QWidget *videoArea, std::function<QString()> status,
           std::function<BannerProgrammes()> programmes);

    // Shown for a few seconds.
    void showChannel(const Channel &channel);
    void showDigits(const QString &digits);
    void showMessage(const QString &message);
    // The banner key: shows the channel shown last, or hides the banner when it is shown.
    void toggle();
    void setLogo(const QImage &logo);

    QString number() const { return number_; }
    QString name() const { return name_; }
    QString status() const { return status_; }
    const BannerProgrammes &programmes() const { return programmes_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void present();
    void refresh();
    void follow();
    void paintProgrammes(QPainter &painter, const QRect &area, int line);

    std::function<QString()> statusOf_;
    std::function<BannerProgrammes()> programmesOf_;
    QString number_;
    QString name_;
    QString status_;
    BannerProgrammes programmes_;
    QImage logo_;
    QTimer hide_;    // hides the banner a few seconds after it was shown
    QTimer refresh_; // the status and the programmes follow the time while shown
};
