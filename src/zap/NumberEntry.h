#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <vector>

// Channel numbers typed on the keyboard, as on a television's remote: up to five digits, taken
// two seconds after the last one, at once on Enter or as soon as only one channel can match. A
// lone 0 asks for the channel tuned before.
class NumberEntry : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxDigits = 5;

    // `numbers` gives the channels' numbers, ascending; asked when a number is first typed
    // after `forget()`.
    explicit NumberEntry(std::function<std::vector<qint32>()> numbers,
                         std::chrono::milliseconds wait = std::chrono::seconds(2));

    bool collecting() const { return !digits_.isEmpty(); }
    void type(int digit);
    void enter();
    void drop();
    // The channels changed: their numbers are asked for anew.
    void forget();

signals:
    void digitsChanged(const QString &digits); // empty once they are taken or dropped
    void chosen(qint32 number);
    void notFound(const QString &digits);
    void lastChannel();

private:
    // How many channels have a number that the digits typed so far could still become.
    qsizetype candidates(qint32 *only) const;
    void take();
    void finish();

    std::function<std::vector<qint32>()> numbersOf_;
    std::vector<qint32> numbers_;
    bool known_ = false;
    QString digits_;
    QTimer wait_;
};
