#pragma once
// What the code under test writes on standard error while the object lives, kept out of the
// test's own output. Into a pipe rather than a file, so that a case's limit on the size of the
// files the process writes does not touch it.

#include <QString>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        if (::pipe2(pipe_, O_CLOEXEC) != 0)
            return;
        ::fcntl(pipe_[0], F_SETFL, O_NONBLOCK);
        saved_ = ::dup(STDERR_FILENO);
        ::dup2(pipe_[1], STDERR_FILENO);
    }
    ~StderrCapture() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // All that was written so far.
    QString text() {
        std::fflush(stderr);
        char buffer[4096];
        for (ssize_t got; saved_ >= 0 && (got = ::read(pipe_[0], buffer, sizeof buffer)) > 0;)
            taken_.append(buffer, got);
        return QString::fromLocal8Bit(taken_);
    }

private:
    int pipe_[2] = {-1, -1};
    int saved_ = -1;
    QByteArray taken_;
};
