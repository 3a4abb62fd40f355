#pragma once
// One document that the program remembers in a file of its own, in step with other instances of
// the program that run at once. Each change is written at once; a write replays the changes of
// this instance that are not yet written on what the file holds then, so that what another
// instance changed meanwhile is kept, and a change that could not be written is kept to be
// written with the next one.
//
// A Document has `static std::optional<Document> fromJson(const QJsonObject &)` and
// `QJsonObject toJson() const`.

#include "state/StateFile.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

template <class Document> class Remembered {
public:
    using Change = std::function<void(Document &)>;

    explicit Remembered(StateFile file) : file_(std::move(file)) {}

    const Document &document() const { return document_; }
    const StateFile &file() const { return file_; }

    // What the file holds, with this instance's changes not yet written.
    void load() {
        Document read;
        file_.read([&read](const QJsonObject &json) { return take(json, read); });
        replayOn(read);
        document_ = std::move(read);
    }

    // False when the change could not be written yet.
    bool change(Change edit) {
        edit(document_);
        unwritten_.push_back(std::move(edit));
        Document written;
        const bool done =
            file_.write([&written](const QJsonObject &json) { return take(json, written); },
                        [this, &written] {
                            replayOn(written);
                            return written.toJson();
                        });
        if (done) {
            document_ = std::move(written);
            unwritten_.clear();
        }
        return done;
    }

    bool forget() {
        unwritten_.clear();
        document_ = {};
        return file_.forget();
    }

private:
    static bool take(const QJsonObject &json, Document &into) {
        std::optional<Document> read = Document::fromJson(json);
        if (read)
            into = std::move(*read);
        return read.has_value();
    }

    void replayOn(Document &document) const {
        for (const Change &edit : unwritten_)
            edit(document);
    }

    StateFile file_;
    Document document_;
    std::vector<Change> unwritten_;
};
