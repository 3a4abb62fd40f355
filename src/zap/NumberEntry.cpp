#include "zap/NumberEntry.h"

#include <algorithm>

NumberEntry::NumberEntry(std::function<std::vector<qint32>()> numbers,
                         std::chrono::milliseconds wait)
    : numbersOf_(std::move(numbers)) {
    wait_.setSingleShot(true);
    wait_.setInterval(wait);
    connect(&wait_, &QTimer::timeout, this, &NumberEntry::take);
}

void NumberEntry::forget() {
    numbers_.clear();
    known_ = false;
}

void NumberEntry::type(int digit) {
    if (!known_) {
        numbers_ = numbersOf_();
        known_ = true;
    }
    digits_ += QChar(u'0' + digit);
    emit digitsChanged(digits_);
    qint32 only = 0;
    const qsizetype count = candidates(&only);
    if (count == 1) {
        digits_.clear();
        finish();
        emit chosen(only);
    } else if (count == 0 || digits_.size() == MaxDigits) {
        take();
    } else {
        wait_.start();
    }
}

void NumberEntry::enter() {
    take();
}

void NumberEntry::drop() {
    digits_.clear();
    finish();
}

qsizetype NumberEntry::candidates(qint32 *only) const {
    // Leading zeros are the padding of the number shown ("CH 00042"): typed, they leave fewer
    // digits for the number itself, so the lengths start at all the digits typed.
    const qint64 typed = digits_.toLongLong();
    if (typed == 0)
        return 2; // nothing but zeros yet: more digits may follow
    qsizetype count = 0;
    qint64 low = typed;
    qint64 high = typed;
    for (qsizetype length = digits_.size(); length <= MaxDigits; ++length) {
        const auto from = std::lower_bound(numbers_.begin(), numbers_.end(), low);
        const auto to = std::upper_bound(numbers_.begin(), numbers_.end(), high);
        if (from < to) {
            count += to - from;
            *only = *from;
        }
        low *= 10;
        high = high * 10 + 9;
    }
    return count;
}

void NumberEntry::take() {
    const QString typed = digits_;
    digits_.clear();
    finish();
    if (typed.isEmpty())
        return;
    if (typed == u"0") {
        emit lastChannel();
        return;
    }
    const qint32 number = typed.toInt();
    if (std::binary_search(numbers_.begin(), numbers_.end(), number))
        emit chosen(number);
    else
        emit notFound(typed);
}

void NumberEntry::finish() {
    wait_.stop();
    emit digitsChanged(digits_);
}
