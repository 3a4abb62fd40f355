#pragma once
// A stand-in for the media player in handler tests: it records every operation, plays nothing,
// and reports whatever buffering count and failure the test sets. Its video area is a plain black
// widget, so it also works on Qt's offscreen platform.

#include "player/Player.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class FakePlayer : public Player {
public:
    FakePlayer() : area_(new QWidget) {
        area_->setAutoFillBackground(true);
        area_->setPalette(QPalette(Qt::black));
    }
    ~FakePlayer() override { delete area_.data(); }

    QWidget *videoArea() override { return area_; }
    void disableErrorDialogs() override { log << "disableErrorDialogs"; }
    void setUrl(const QString &address, const StreamHeaders &h = {}) override {
        log << "setUrl " + address;
        url = address;
        headers = h;
        count = 0;
        failed = false;
    }
    void play() override {
        log << "play";
        notePlaying(!failed);
    }
    void setVolume(int v) override {
        log << "setVolume " + QString::number(v);
        volume = v;
        noteVolume(v);
    }
    void enterFullScreen() override {
        log << "enterFullScreen";
        noteFullScreen(true);
    }
    void leaveFullScreen() override {
        log << "leaveFullScreen";
        noteFullScreen(false);
    }
    int bufferingCount() const override { return count; }
    bool streamFailed() const override { return failed; }

    QStringList log; // every operation, in order
    QString url;
    StreamHeaders headers;
    int volume = 0;
    int count = 0;
    bool failed = false;

private:
    QPointer<QWidget> area_; // the window takes it over and may delete it first
};
