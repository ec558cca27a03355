#pragma once
// The box of typed words: a plain text box, one word a line, that refuses a
// paste or a drop holding a line far longer than any word. A log line of
// 100 MB pasted by mistake would otherwise be laid out on every event and
// leave the window answering in a second for good.

#include <QPlainTextEdit>

namespace kiv {

class WordBox : public QPlainTextEdit {
    Q_OBJECT

public:
    // A watched word is a name, a site or an address: none comes near this.
    static constexpr qsizetype LongestWord = 10000;

    using QPlainTextEdit::QPlainTextEdit;

protected:
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace kiv
