#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

// The keys of a television's remote on the whole window, in and out of full screen: channel
// up and down, digits, the last channel, the banner and the search. A key that the focused
// control uses itself (the list's arrows, the slider's page keys, a text field's typing, a
// button's Space) stays with that control.
class ChannelKeys : public QObject {
    Q_OBJECT
public:
    enum class Action { Next, Previous, Digit, Enter, Escape, Last, Banner, Search };

    // `window` is the window whose keys are watched; `fullScreen` and `collecting` tell whether
    // the window is full screen and whether digits are being typed.
    ChannelKeys(QWidget *window, std::function<bool()> fullScreen,
                std::function<bool()> collecting);

signals:
    void pressed(ChannelKeys::Action action, int digit, bool autoRepeat);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handle(QWidget *focus, const QKeyEvent &key);

    QWidget *window_;
    std::function<bool()> fullScreen_;
    std::function<bool()> collecting_;
};
