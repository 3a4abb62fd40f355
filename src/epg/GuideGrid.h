#pragma once

#include "catalogue/ChannelSource.h"
#include "epg/StaticTexts.h"
#include "guide/ChannelGuide.h"

#include <QAbstractScrollArea>
#include <QPointer>

#include <functional>
#include <optional>

class GuideAlarm;
class GuideClock;
class QLabel;
class TuningState;

// The programme guide `grdGuide` over the video: the zap list's channels down, time across in
// half hours from the guide's first day to its last, a line at the time now, the tuned channel's
// row and programme on now marked, and the selected programme's details in a panel beneath.
// The keys and the mouse move the selection from programme to programme; Enter or a click on a
// programme on now tunes its channel. A child of the video area, it follows it into full screen.
// Only the rows and hours on view are painted, so a guide of any size scrolls alike.
class GuideGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    // `logo` gives the logo at an address once it is at hand, else a null image.
    GuideGrid(QWidget *videoArea, const TuningState &tuning, const GuideClock &clock,
              std::function<QImage(const QString &)> logo);
    ~GuideGrid() override;

    // Opens on the tuned channel's programme on now, taking the focus; closing gives it back.
    void open();
    void close();
    bool isOpen() const { return isVisible(); }

    // The selection: a row of the zap list, and its programme there if it has one.
    qsizetype selectedRow() const { return row_; }
    const std::optional<ProgrammeSlot> &selectedProgramme() const { return slot_; }
    // What the details panel says.
    QString details() const;
    // Where the grid shows `row` at `time`, in its viewport's coordinates.
    QPoint pointOf(qsizetype row, GuideTime time) const;
    // The rows that a screen holds whole.
    int rowsOnView() const;

signals:
    // Enter or a click on a programme on now: the zap list's row to tune.
    void chosen(qsizetype row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Sizes, in pixels, from the video area's height.
    struct Metrics {
        int text = 12; // the font's pixel size
        int header = 0;
        int row = 0;
        int column = 0; // the channels' column
        int panel = 0;  // the details panel
        qreal minute = 4;
    };

    void follow();
    void rowsChanged();
    void guideChanged();
    void tunedChanged();
    void layOut();
    void select(qsizetype row, std::optional<ProgrammeSlot> slot, bool keepAnchor);
    void selectAt(qsizetype row, GuideTime time);
    void moveAlong(int direction);
    void moveRows(qsizetype by, bool page);
    void showTime(GuideTime time);
    void chooseSelected();
    void refreshDetails();

    const ChannelGuide *guide() const;
    qsizetype rowCount() const;
    // The guide's entry of the row's channel, or -1.
    qint32 entryOf(qsizetype row) const;
    std::optional<ProgrammeSlot> before(qint32 entry, GuideTime time) const;
    bool isOnNow(const ProgrammeSlot &slot) const;
    qreal xOf(GuideTime time) const;
    GuideTime timeAt(qreal x) const;
    qint64 yOf(qsizetype row) const;

    // In GuideGridPaint.cpp.
    void paintProgrammes(QPainter &painter, qsizetype first, qsizetype last, GuideTime from,
                         GuideTime to, GuideTime now);
    void paintChannels(QPainter &painter, qsizetype first, qsizetype last);
    void paintHeader(QPainter &painter, GuideTime from, GuideTime to);

    const TuningState &tuning_;
    const GuideClock &clock_;
    std::function<QImage(const QString &)> logo_;
    GuideAlarm *alarm_;
    QLabel *panel_;
    Metrics m_;
    StaticTexts bold_;  // titles and names
    StaticTexts small_; // times and numbers
    Rows rows_;
    GuideTime origin_ = 0; // the first day's start, local time
    GuideTime end_ = 0;    // the last day's end
    qsizetype tunedRow_ = -1;
    qsizetype row_ = -1;
    std::optional<ProgrammeSlot> slot_;
    GuideTime anchor_ = 0; // the time that Up and Down keep to
    QPointer<QWidget> focusBefore_;
};
