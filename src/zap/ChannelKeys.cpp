#include "zap/ChannelKeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

using Action = ChannelKeys::Action;

// When a key acts: always, only while the video fills the screen (Up and Down are a
// television's CH+ and CH-; in the window they are the controls' own), or only while there is a
// guide (without one the key is the controls' own, as every letter is).
enum class When : quint8 { Always, FullScreen, Guided };

// Which keys do what.
struct KeyAction {
    int key;
    Action action;
    When when = When::Always;
};
constexpr KeyAction KeyActions[]{
    {Qt::Key_PageUp, Action::Next},
    {Qt::Key_ChannelUp, Action::Next},
    {Qt::Key_MediaNext, Action::Next},
    {Qt::Key_Up, Action::Next, When::FullScreen},
    {Qt::Key_PageDown, Action::Previous},
    {Qt::Key_ChannelDown, Action::Previous},
    {Qt::Key_MediaPrevious, Action::Previous},
    {Qt::Key_Down, Action::Previous, When::FullScreen},
    {Qt::Key_Return, Action::Enter},
    {Qt::Key_Enter, Action::Enter},
    {Qt::Key_Escape, Action::Escape},
    {Qt::Key_Backspace, Action::Last},
    {Qt::Key_I, Action::Banner},
    {Qt::Key_Slash, Action::Search},
    {Qt::Key_G, Action::Guide, When::Guided},
    {Qt::Key_F, Action::Favourite},
};

// Keys that a control of each kind uses itself.
bool isArrowOrPage(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left ||
           key == Qt::Key_Right || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
           key == Qt::Key_Home || key == Qt::Key_End;
}

bool isRemoteOnly(int key) {
    return key == Qt::Key_ChannelUp || key == Qt::Key_ChannelDown || key == Qt::Key_MediaNext ||
           key == Qt::Key_MediaPrevious;
}

bool focusUses(const QWidget *focus, int key) {
    if (focus == nullptr)
        return false;
    // A text field takes all typing; a combo box with one (which holds the focus for it) also
    // its arrows and page keys.
    const auto *combo = qobject_cast<const QComboBox *>(focus);
    if (combo != nullptr && combo->isEditable())
        return !isRemoteOnly(key);
    if (qobject_cast<const QLineEdit *>(focus) != nullptr)
        return !isRemoteOnly(key) && key != Qt::Key_PageUp && key != Qt::Key_PageDown;
    if (combo != nullptr || qobject_cast<const QAbstractSlider *>(focus) != nullptr)
        return isArrowOrPage(key);
    if (qobject_cast<const QAbstractItemView *>(focus) != nullptr)
        return isArrowOrPage(key) || key == Qt::Key_Space;
    if (qobject_cast<const QAbstractButton *>(focus) != nullptr)
        return key == Qt::Key_Space;
    return false;
}

} // namespace

ChannelKeys::ChannelKeys(QWidget *window, std::function<bool()> fullScreen,
                         std::function<bool()> collecting, std::function<bool()> guided)
    : QObject(window), window_(window), fullScreen_(std::move(fullScreen)),
      collecting_(std::move(collecting)), guided_(std::move(guided)) {
    qApp->installEventFilter(this);
}

void ChannelKeys::leaveKeysTo(QWidget *control) {
    keysOwners_.append(control);
}

bool ChannelKeys::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    // Once per key: as it reaches the control with the focus (or the window, when none has it),
    // not again as it passes on to the control's parents.
    QWidget *focus = QApplication::focusWidget();
    if (widget->window() != window_ || (focus != nullptr ? widget != focus : widget != window_))
        return false;
    return handle(focus, *static_cast<QKeyEvent *>(event));
}

bool ChannelKeys::handle(QWidget *focus, const QKeyEvent &key) {
    for (const QPointer<QWidget> &owner : keysOwners_) {
        if (focus != nullptr && owner != nullptr && (owner == focus || owner->isAncestorOf(focus)))
            return false;
    }
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (key.key() == Qt::Key_F && modifiers == Qt::ControlModifier) {
        emit pressed(Action::Search, 0, key.isAutoRepeat());
        return true;
    }
    if (modifiers != Qt::NoModifier || focusUses(focus, key.key()))
        return false;
    if (key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9) {
        emit pressed(Action::Digit, key.key() - Qt::Key_0, key.isAutoRepeat());
        return true;
    }
    for (const KeyAction &k : KeyActions) {
        if (k.key != key.key())
            continue;
        if (k.when != When::Always && !(k.when == When::FullScreen ? fullScreen_() : guided_()))
            continue;
        // Enter and Esc belong to the number being typed, and otherwise to the controls.
        if ((k.action == Action::Enter || k.action == Action::Escape) && !collecting_())
            return false;
        emit pressed(k.action, 0, key.isAutoRepeat());
        return true;
    }
    return false;
}
