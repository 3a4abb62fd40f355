#include "app/MainForm.h"

#include "app/AccessibleTexts.h"
#include "app/Remembering.h"
#include "app/Zapping.h"
#include "form/ControlOps.h"
#include "form/Design.h"
#include "guide/GuideLoader.h"
#include "menu/ProgramMenu.h"
#include "player/Player.h"
#include "player/PlayerControls.h"
#include "playlist/PlaylistLoader.h"
#include "status/Clock.h"
#include "tuner/BuiltInSource.h"
#include "tuner/GenreCombo.h"
#include "tuner/GenreLists.h"
#include "tuner/TunerList.h"
#include "tuner/Tuners.h"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace {

using design::Kind;
using design::px;

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The buttons are sized for captions in the standard font at 8.25 pt; a desktop's larger
// standard font would cut "Radio Tuner" short.
constexpr qreal ButtonPointSize = 8.25;

QFont labelFont(qreal pointSize) {
    QFont font;
    font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "DejaVu Sans"});
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

void fill(QWidget *widget, QPalette::ColorRole role, unsigned rgb) {
    QPalette palette = widget->palette();
    palette.setColor(role, QColor::fromRgb(rgb));
    widget->setPalette(palette);
}

QFrame *makeShape(QWidget *parent, unsigned rgb) {
    auto *shape = new QFrame(parent);
    shape->setAutoFillBackground(true);
    fill(shape, QPalette::Window, rgb);
    return shape;
}

QLabel *makeLabel(QWidget *parent, qreal pointSize, Qt::Alignment alignment) {
    auto *label = new QLabel(parent);
    label->setFont(labelFont(pointSize));
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// Drawn controls: shapes, the line, the picture and the labels.
QWidget *makeDrawn(QWidget *form, const design::ControlDesign &d) {
    const auto name = QLatin1StringView(d.name);
    if (d.kind == Kind::Shape)
        return makeShape(form, name == u"Shape1" ? design::BottomBar : design::WindowFrame);
    if (d.kind == Kind::Line)
        return makeShape(form, 0x000000);
    if (d.kind == Kind::Picture) {
        auto *picture = new QLabel(form);
        picture->setPixmap(QPixmap(":/ruredivu/logo.jpg"));
        picture->setScaledContents(true);
        return picture;
    }
    if (name == u"lblChannelName") {
        auto *label = makeLabel(form, 12, Qt::AlignHCenter);
        fill(label, QPalette::WindowText, design::ChannelNameText);
        return label;
    }
    if (name == u"Label1" || name == u"lblBuffering") {
        auto *label = makeLabel(form, 9.75, name == u"Label1" ? Qt::AlignLeft : Qt::AlignHCenter);
        fill(label, QPalette::WindowText, design::HighlightedText);
        return label;
    }
    return makeLabel(form, 9.75, Qt::AlignHCenter);
}

// Controls with a window of their own: buttons, list, combo box, slider and the player.
QWidget *makeWindowed(QWidget *form, Player &player, const design::ControlDesign &d) {
    switch (d.kind) {
    case Kind::Button: {
        auto *button = new QPushButton(form);
        QFont font = button->font();
        font.setPointSizeF(ButtonPointSize);
        button->setFont(d.name == "cmdBack" ? labelFont(8.25) : font);
        return button;
    }
    case Kind::List: {
        auto *list = new TunerList(form);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setFont(labelFont(9.75));
        fill(list, QPalette::Base, design::WindowFrame);
        fill(list, QPalette::Text, design::ListText);
        return list;
    }
    case Kind::Combo:
        return new GenreCombo(form);
    case Kind::Slider: {
        auto *slider = new QSlider(Qt::Horizontal, form);
        slider->setRange(design::VolumeMin, design::VolumeMax);
        slider->setSingleStep(design::VolumeSmallChange);
        slider->setPageStep(design::VolumeLargeChange);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(1);
        return slider;
    }
    case Kind::Player: {
        QWidget *video = player.videoArea();
        video->setParent(form);
        video->setFocusPolicy(Qt::StrongFocus);
        return video;
    }
    default:
        return nullptr;
    }
}

bool isWindowed(Kind kind) {
    return kind == Kind::Button || kind == Kind::List || kind == Kind::Combo ||
           kind == Kind::Slider || kind == Kind::Player;
}

// Qt presents a top-level widget of its own class as a plain client area; screen readers expect
// a window, named by its title.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object) {
    if (className == QLatin1StringView(MainForm::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

template <typename T> void bind(QWidget *form, T *&field, const char *name) {
    field = form->findChild<T *>(QLatin1StringView(name), Qt::FindDirectChildrenOnly);
    Q_ASSERT(field != nullptr);
}

} // namespace

MainForm::MainForm(Player &player, QWidget *parent)
    : QWidget(parent), player_(player),
      tuning_(c_, player_, monitor_, std::make_shared<BuiltInSource>()) {
    // The pictures are linked in from a static library, which Qt cannot find by itself.
    Q_INIT_RESOURCE(resources);
    setWindowTitle(qs(design::Title));
    setWindowIcon(appIcon());
    setAutoFillBackground(true);
    fill(this, QPalette::Window, design::FormBackground);
    setFixedSize(px(design::ExpandedWidth - 2 * design::FrameTwips), px(design::ClientHeight));
    // A playlist file or link dropped anywhere on the window opens it.
    setAcceptDrops(true);
    buildControls();
    wireEvents();
    load();
    zapping_ = new Zapping(c_, tuning_);
    remembering_ = new Remembering(*this, c_, tuning_);
    tuning_.setSource(remembering_->withFavourites(std::make_shared<BuiltInSource>(), {}));
    connect(zapping_, &Zapping::favouriteKey, remembering_, &Remembering::toggleFavourite);
}

void MainForm::buildControls() {
    // Qt stacks later siblings in front, so create back to front: first the drawn controls,
    // then those with a window of their own, which always lie in front of the drawn ones.
    for (bool windowed : {false, true}) {
        for (auto d = design::Controls.rbegin(); d != design::Controls.rend(); ++d) {
            if (d->kind == Kind::Timer || isWindowed(d->kind) != windowed)
                continue;
            QWidget *w = windowed ? makeWindowed(this, player_, *d) : makeDrawn(this, *d);
            w->setObjectName(QLatin1StringView(d->name));
            w->setGeometry(px(d->left), px(d->top), std::max(px(d->width), 1),
                           std::max(px(d->height), 1));
            if (!windowed)
                w->setFocusPolicy(Qt::NoFocus);
            w->setToolTip(qs(d->toolTip));
        }
    }
    c_.mainForm = this;
    bind(this, c_.Command1, "Command1");
    bind(this, c_.cmdBack, "cmdBack");
    bind(this, c_.lstTuner, "lstTuner");
    bind(this, c_.cboGenre, "cboGenre");
    bind(this, c_.cmdSettings, "cmdSettings");
    bind(this, c_.cmdFS, "cmdFS");
    bind(this, c_.sldMainVolume, "sldMainVolume");
    bind(this, c_.cmdRadio, "cmdRadio");
    bind(this, c_.cmdTv, "cmdTv");
    bind(this, c_.lblBuffering, "lblBuffering");
    bind(this, c_.Shape3, "Shape3");
    bind(this, c_.lblIndexNo, "lblIndexNo");
    bind(this, c_.lblTime, "lblTime");
    bind(this, c_.lblChannelName, "lblChannelName");
    bind(this, c_.Line1, "Line1");
    bind(this, c_.Label1, "Label1");
    bind(this, c_.Image1, "Image1");
    bind(this, c_.videoControl, "videoControl");
    bind(this, c_.Shape2, "Shape2");
    bind(this, c_.Shape1, "Shape1");

    for (const auto &d : design::Controls) {
        const QString text = qs(d.text);
        if (auto *button = findChild<QPushButton *>(QLatin1StringView(d.name)))
            button->setText(text);
        else if (auto *label = findChild<QLabel *>(QLatin1StringView(d.name)))
            label->setText(text);
    }
    c_.cboGenre->setText(qs(design::control("cboGenre").text));
    c_.cmdFS->setEnabled(false);

    QAccessible::installFactory(&windowAccessible);
    for (const auto &a : design::AccessibleTexts) {
        auto *w = findChild<QWidget *>(QLatin1StringView(a.control), Qt::FindDirectChildrenOnly);
        w->setAccessibleName(qs(a.name));
        w->setAccessibleDescription(qs(a.description));
    }
    // On Linux a combo box is read by its text; the name goes with its text field, which is
    // where the focus lands.
    c_.cboGenre->lineEdit()->setAccessibleName(c_.cboGenre->accessibleName());

    // The keyboard moves through the controls in their tab order; labels never take the focus.
    QWidget *previous = nullptr;
    for (int index = 0; index < int(design::Controls.size()); ++index) {
        for (const auto &d : design::Controls) {
            if (d.tabIndex != index || !isWindowed(d.kind))
                continue;
            auto *w = findChild<QWidget *>(QLatin1StringView(d.name));
            if (previous != nullptr)
                setTabOrder(previous, w);
            previous = w;
        }
    }

    c_.TimeConnection = new QTimer(this);
    c_.TimeConnection->setObjectName("TimeConnection");
    c_.TimeConnection->start(design::TimeConnectionInterval);
    c_.timeControl = new QTimer(this);
    c_.timeControl->setObjectName("timeControl");
    // A precise timer keeps the clock from drifting past whole seconds.
    c_.timeControl->setTimerType(Qt::PreciseTimer);
    c_.timeControl->start(design::TimeControlInterval);
}

void MainForm::wireEvents() {
    connect(c_.cmdBack, &QPushButton::clicked, this, &MainForm::cmdBackClick);
    connect(c_.cmdTv, &QPushButton::clicked, this, [this] { cmdTvClick(c_, tuning_); });
    connect(c_.cmdRadio, &QPushButton::clicked, this, [this] { cmdRadioClick(c_, tuning_); });
    connect(c_.lstTuner, &TunerList::userClick, this, [this] { lstTunerClick(c_, tuning_); });
    connect(c_.cboGenre, &GenreCombo::userPick, this, [this] { cboGenreClick(c_, tuning_); });
    connect(c_.cmdFS, &QPushButton::clicked, this, [this] { cmdFSClick(player_); });
    // Drags, keys, the wheel and clicks beside the thumb all raise an action; a click on the
    // thumb raises none, so its press counts as the slider's click.
    connect(c_.sldMainVolume, &QSlider::actionTriggered, this,
            [this] { sldMainVolumeScroll(c_, player_); });
    connect(c_.sldMainVolume, &QSlider::sliderPressed, this,
            [this] { sldMainVolumeScroll(c_, player_); });
    connect(c_.timeControl, &QTimer::timeout, this, [this] { clockTick(c_); });
    connect(c_.TimeConnection, &QTimer::timeout, this, [this] { monitor_.tick(); });
}

// Start-up: runs once, before the window is first shown.
void MainForm::load() {
    player_.disableErrorDialogs();
    c_.lblChannelName->setText(qs(design::Title));
    c_.cboGenre->setText(QStringLiteral("Select Tuner"));
    c_.cboGenre->appendItem({QStringLiteral("TV tuner")});
    c_.cboGenre->appendItem({QStringLiteral("Radio tuner")});
    writeFormWidth(c_, design::CollapsedWidth);
    monitor_.stop();
    clockTick(c_);
}

// Closes the side panel; whatever plays goes on playing.
void MainForm::cmdBackClick() {
    writeFormWidth(c_, design::CollapsedWidth);
    c_.cmdTv->setEnabled(true);
    c_.cmdRadio->setEnabled(true);
    tuning_.setTuner(TunerKind::Radio);
}

void MainForm::contextMenuEvent(QContextMenuEvent *event) {
    remembering_->menu().popup(event->globalPos());
}

QIcon appIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/ruredivu/icon-16.png"));
    icon.addFile(QStringLiteral(":/ruredivu/icon-32.png"));
    return icon;
}
