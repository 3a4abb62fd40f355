#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QKeyEvent;

// The keys of a television's remote on the whole window, in and out of full screen: channel
// up and down, digits, the last channel, the banner, the search, marking a favourite and, where
// there is one, the programme guide. A key that the focused control uses itself (the list's arrows,
// the slider's page keys, a text field's typing, a button's Space) stays with that control.
class ChannelKeys : public QObject {
    Q_OBJECT
public:
    enum class Action {
        Next,
        Previous,
        Digit,
        Enter,
        Escape,
        Last,
        Banner,
        Search,
        Guide,
        Favourite
    };

    // `window` is the window whose keys are watched; `fullScreen`, `collecting` and `guided` tell
    // whether the window is full screen, whether digits are being typed and whether there is a
    // programme guide to show.
    ChannelKeys(QWidget *window, std::function<bool()> fullScreen, std::function<bool()> collecting,
                std::function<bool()> guided);

    // Every key that reaches `control` (or a control within it) is its own.
    void leaveKeysTo(QWidget *control);

signals:
    void pressed(ChannelKeys::Action action, int digit, bool autoRepeat);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handle(QWidget *focus, const QKeyEvent &key);

    QWidget *window_;
    std::function<bool()> fullScreen_;
    std::function<bool()> collecting_;
    std::function<bool()> guided_;
    QList<QPointer<QWidget>> keysOwners_;
};
