// Linked into the tuner next to StartupProbe.cpp, this takes the figures of the playlist named on
// its command line, prints them as "figure value" lines, then ends the program:
//   playlist.shown_ms         process start (BENCH_T0, see Launch.cpp) to the playlist's groups
//                             shown: the list `lstTuner` holding them and its frame painted
//   playlist.load_stall_ms    the longest stall of the event loop from the window's first frame
//                             to then
//   playlist.floor_ms         reading the same file and finding its lines, here and afterwards:
//                             the least that any reader of it does
//   playlist.entries          its lines that are no comment, and
//   playlist.file_bytes       its size
//   playlist.rss_kb           resident memory once settled (BENCH_SETTLE_MS) with the groups shown
//   playlist.click_ms         a mouse click on the row of the group BENCH_PLAYLIST_GROUP to its
//                             channels shown
//   playlist.click_stall_ms   the longest stall from the click to then
//   playlist.scroll_stall_ms  the longest stall while the channels scroll a page at a time, at the
//                             pace of a held key
//   plainlist.*               the three last for a plain QListView of the same size and font over
//                             the list, given the same texts in a QStringListModel: the toolkit's
//                             own floor
//   search.key_ms             each key typed into the search field (Ctrl+F) to its matches shown
//                             in the list, for texts of one letter and longer
//   search.stall_ms           the longest stall while typing them
//   plainsearch.*             the same for the plain list over a QSortFilterProxyModel of every
//                             TV channel's title, filtered by the same texts ignoring case

#include "ProcStat.h"
#include "Watchdog.h"

#include "playlist/Playlist.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStringListModel>
#include <QTest>
#include <QUrl>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int ScrollPages = 40;
constexpr int ScrollStepMs = 30; // a held key repeats about this often
// Typed one key at a time, each text after the field is emptied: one letter that matches every
// title, one that matches a tenth of them, and longer texts narrowing down to one channel.
const QStringList SearchTexts{QStringLiteral("c"), QStringLiteral("7"),
                              QStringLiteral("channel 1999"), QStringLiteral("nel 42")};

void print(const char *figure, double value) {
    std::printf("%s %.3f\n", figure, value);
    std::fflush(stdout);
}

double msSince(qint64 start) {
    return double(monotonicNs() - start) / 1e6;
}

class PlaylistProbe : public QObject {
public:
    PlaylistProbe()
        : QObject(qApp), t0_(qEnvironmentVariable("BENCH_T0").toLongLong()),
          path_(QCoreApplication::arguments().value(1)),
          group_(qEnvironmentVariable("BENCH_PLAYLIST_GROUP")) {
        qApp->installEventFilter(this);
        // The list holds nothing until the playlist is read, and its groups then.
        afterPaint([this] { return list_ != nullptr && list_->model()->rowCount() > 0; },
                   [this] { shown(); });
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override {
        auto *widget = qobject_cast<QWidget *>(object);
        if (widget == nullptr || event->type() != QEvent::Paint)
            return false;
        if (widget->isWindow() && !framed_) {
            framed_ = true;
            QMetaObject::invokeMethod(
                this, [this] { watchdog_.restart(); }, Qt::QueuedConnection);
        }
        if (list_ == nullptr && widget->objectName() == u"lstTuner")
            list_ = qobject_cast<QAbstractItemView *>(widget);
        // A view's items are painted on its viewport; the frame is complete and handed to the
        // display once control is back in the event loop.
        const QAbstractItemView *watched = view_ != nullptr ? view_ : list_;
        if (then_ && watched != nullptr && widget == watched->viewport() && ready_())
            QMetaObject::invokeMethod(this, std::exchange(then_, {}), Qt::QueuedConnection);
        return false;
    }

private:
    // Calls `then` after the end of the next frame of the view (the tuner's list if none) that
    // paints it while `ready` holds.
    void afterPaint(std::function<bool()> ready, std::function<void()> then,
                    QAbstractItemView *view = nullptr) {
        view_ = view;
        ready_ = std::move(ready);
        then_ = std::move(then);
    }

    void shown() {
        print("playlist.shown_ms", double(monotonicNs() - t0_) / 1e6);
        print("playlist.load_stall_ms", watchdog_.stallMs());
        readFloor();
        bool set = false;
        const int settle = qEnvironmentVariableIntValue("BENCH_SETTLE_MS", &set);
        QTimer::singleShot(set ? settle : 2000, this, [this] {
            print("playlist.rss_kb", double(rssKb(getpid())));
            clickGroup();
        });
    }

    // The file read whole and its lines found, as any reader of it must.
    void readFloor() const {
        const qint64 start = monotonicNs();
        QFile file(path_);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        qint64 entries = 0;
        const char *at = bytes.constData();
        const char *const end = at + bytes.size();
        while (at < end) {
            const void *lf = std::memchr(at, '\n', size_t(end - at));
            const char *next = lf != nullptr ? static_cast<const char *>(lf) : end;
            if (next > at && *at != '#' && *at != '\r')
                ++entries;
            at = next + 1;
        }
        print("playlist.floor_ms", msSince(start));
        print("playlist.entries", double(entries));
        print("playlist.file_bytes", double(bytes.size()));
    }

    void clickGroup() {
        QAbstractItemModel *model = list_->model();
        const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, group_, 1,
                                                   Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found.isEmpty()) {
            std::fprintf(stderr, "bench: the list shows no group \"%s\"\n", qPrintable(group_));
            return QCoreApplication::exit(1);
        }
        list_->scrollTo(found.first());
        const int groups = model->rowCount();
        afterPaint([model, groups] { return model->rowCount() != groups; },
                   [this, start = monotonicNs()] {
                       print("playlist.click_ms", msSince(start));
                       print("playlist.click_stall_ms", watchdog_.stallMs());
                       scroll(list_, "playlist.scroll_stall_ms", [this] { showPlainList(); });
                   });
        watchdog_.restart();
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {},
                          list_->visualRect(found.first()).center());
    }

    // Pages down the view at the pace of a held key, then a little more for the last frame.
    void scroll(QAbstractItemView *view, const char *figure, std::function<void()> then) {
        watchdog_.restart();
        auto *pager = new QTimer(this);
        pager->setTimerType(Qt::PreciseTimer);
        connect(pager, &QTimer::timeout, this, [=, this, pages = 0]() mutable {
            if (++pages <= ScrollPages)
                return view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
            pager->deleteLater();
            print(figure, watchdog_.stallMs());
            then();
        });
        pager->start(ScrollStepMs);
    }

    // A plain list over the tuner's, shown empty first; then the same texts are handed to it.
    void showPlainList() {
        QStringList texts;
        const QAbstractItemModel *model = list_->model();
        texts.reserve(model->rowCount());
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, 0).data().toString());
        auto *plain = new QListView(list_->parentWidget());
        plain->setUniformItemSizes(true);
        plain->setFont(list_->font());
        plain->setGeometry(list_->geometry());
        auto *plainModel = new QStringListModel(plain);
        plain->setModel(plainModel);
        plain->show();
        plain->raise();
        afterPaint([] { return true; },
                   [this, plain, plainModel, texts] {
                       afterPaint([plainModel] { return plainModel->rowCount() > 0; },
                                  [this, plain, start = monotonicNs()] {
                                      print("plainlist.click_ms", msSince(start));
                                      print("plainlist.click_stall_ms", watchdog_.stallMs());
                                      scroll(plain, "plainlist.scroll_stall_ms",
                                             [this, plain] { searchTuner(plain); });
                                  },
                                  plain);
                       watchdog_.restart();
                       plainModel->setStringList(texts);
                   },
                   plain);
    }

    // Opens the tuner's search and types the texts into it, then the same into a plain filter.
    void searchTuner(QListView *plain) {
        plain->hide();
        QTest::keyClick(list_->window(), Qt::Key_F, Qt::ControlModifier);
        auto *field = list_->window()->findChild<QLineEdit *>(QStringLiteral("txtSearch"));
        if (field == nullptr || !field->isVisible()) {
            std::fprintf(stderr, "bench: Ctrl+F opened no search field\n");
            return QCoreApplication::exit(1);
        }
        typeTexts(field, list_, "search", [this, plain] { searchPlain(plain); });
    }

    void searchPlain(QListView *plain) {
        // Every TV channel's title, as the playlist gives them.
        QStringList titles;
        QFile file(path_);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const ParsedPlaylist parsed = parsePlaylist(bytes, QUrl::fromLocalFile(path_));
        for (qsizetype entry = 0; parsed.playlist && entry < parsed.playlist->size(); ++entry)
            if (!parsed.playlist->isRadio(entry))
                titles.append(parsed.playlist->title(entry));
        auto *source = new QStringListModel(titles, plain);
        auto *filter = new QSortFilterProxyModel(plain);
        filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
        filter->setSourceModel(source);
        plain->setModel(filter);
        auto *field = new QLineEdit(plain->parentWidget());
        connect(field, &QLineEdit::textChanged, filter,
                &QSortFilterProxyModel::setFilterFixedString);
        plain->show();
        field->show();
        field->setFocus();
        typeTexts(field, plain, "plainsearch", [] { QCoreApplication::exit(0); });
    }

    // Types each of SearchTexts into `field` a key at a time, timing each key to the end of the
    // next frame of `view`. Both filters work while the key is handled, so that frame shows the
    // matches; it is asked for, since a filter that changes no row paints nothing.
    void typeTexts(QLineEdit *field, QAbstractItemView *view, const char *prefix,
                   std::function<void()> then) {
        auto keys = std::make_shared<QStringList>();
        for (const QString &text : SearchTexts) {
            keys->append(QString()); // the field emptied
            for (QChar key : text)
                keys->append(key);
        }
        const QByteArray keyFigure = QByteArray(prefix) + ".key_ms";
        const QByteArray stallFigure = QByteArray(prefix) + ".stall_ms";
        auto next = std::make_shared<std::function<void()>>();
        *next = [=, this, weakNext = std::weak_ptr(next)] {
            if (keys->isEmpty()) {
                print(stallFigure.constData(), watchdog_.stallMs());
                then();
                return;
            }
            const QString key = keys->takeFirst();
            if (key.isEmpty()) {
                field->selectAll();
                QTest::keyClick(field, Qt::Key_Backspace);
                QMetaObject::invokeMethod(this, *weakNext.lock(), Qt::QueuedConnection);
                return;
            }
            afterPaint([] { return true; },
                       [=, start = monotonicNs()] {
                           print(keyFigure.constData(), msSince(start));
                           (*weakNext.lock())();
                       },
                       view);
            QTest::keyClick(field, key.at(0).toLatin1());
            view->viewport()->update();
        };
        nextKey_ = next;
        watchdog_.restart();
        (*next)();
    }

    const qint64 t0_;
    const QString path_;
    const QString group_;
    Watchdog watchdog_;
    bool framed_ = false;
    QAbstractItemView *list_ = nullptr;
    QAbstractItemView *view_ = nullptr;
    std::function<bool()> ready_;
    std::function<void()> then_;
    std::shared_ptr<std::function<void()>> nextKey_; // the typing under way
};

void installProbe() {
    // With BENCH_GUIDE set, GuideProbe.cpp takes the figures instead.
    if (QCoreApplication::arguments().size() >= 2 && !qEnvironmentVariableIsSet("BENCH_GUIDE"))
        new PlaylistProbe;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
