#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

struct Channel;

// The on-screen banner over the video: the channel's number, name and logo and the connection's
// status, or the digits being typed. A child of the video area, it goes into full screen with
// the video and scales with it; it never takes the focus or a click.
class Banner : public QWidget {
    Q_OBJECT
public:
    // `status` gives the connection monitor's text as it stands.
    Banner(QWidget *videoArea, std::function<QString()> status);

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void present();
    void refresh();
    void follow();

    std::function<QString()> statusOf_;
    QString number_;
    QString name_;
    QString status_;
    QImage logo_;
    QTimer hide_;    // hides the banner a few seconds after it was shown
    QTimer refresh_; // the status follows the connection while shown
};
