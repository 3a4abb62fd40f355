#pragma once
// The window's controls by name. All of the program's state lives in them and in the player.

class GenreCombo;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class QWidget;
class TunerList;

struct Controls {
    QWidget *mainForm = nullptr;
    QPushButton *Command1 = nullptr;
    QTimer *TimeConnection = nullptr;
    QTimer *timeControl = nullptr;
    QPushButton *cmdBack = nullptr;
    TunerList *lstTuner = nullptr;
    GenreCombo *cboGenre = nullptr;
    QPushButton *cmdSettings = nullptr;
    QPushButton *cmdFS = nullptr;
    QSlider *sldMainVolume = nullptr;
    QPushButton *cmdRadio = nullptr;
    QPushButton *cmdTv = nullptr;
    QLabel *lblBuffering = nullptr;
    QFrame *Shape3 = nullptr;
    QLabel *lblIndexNo = nullptr;
    QLabel *lblTime = nullptr;
    QLabel *lblChannelName = nullptr;
    QFrame *Line1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QWidget *videoControl = nullptr;
    QFrame *Shape2 = nullptr;
    QFrame *Shape1 = nullptr;
};
