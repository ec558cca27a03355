#pragma once
// Lines written with their bold between brackets, "a[bc]d", joined by '|':
// how the tests of the lines view write a text and read it back.

#include "lines/LineStore.h"

#include <QStringList>

namespace kiv::test {

inline LineBatch MarkedBatch(const QStringList& marked)
{
    LineBatch batch;
    for (const QString& line : marked) {
        QString text;
        BoldSpans bold;
        bool inBold = false;
        for (const QChar c : line) {
            if (c == u'[') {
                bold.push_back({text.size(), 0});
                inBold = true;
            } else if (c == u']') {
                inBold = false;
            } else {
                text += c;
                if (inBold)
                    ++bold.back().length;
            }
        }
        batch.Add(text, bold);
    }
    return batch;
}

inline QString MarkedText(const LineStore& store)
{
    QString out;
    for (qsizetype i = 0; i < store.LineCount(); ++i) {
        if (i > 0)
            out += u'|';
        const QString text = store.LineText(i);
        qsizetype at = 0;
        for (const BoldSpan& span : store.BoldIn(i)) {
            out += text.mid(at, span.start - at) + u'[' + text.mid(span.start, span.length) + u']';
            at = span.start + span.length;
        }
        out += text.mid(at);
    }
    return out;
}

} // namespace kiv::test
