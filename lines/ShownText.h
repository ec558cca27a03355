#pragma once
// How a line's characters are shown, read aloud and printed: a NUL, which a
// crafted request can put into a log, is a space everywhere a person meets
// the text. The lines keep the byte itself, so that saved results and the
// command line keep it too.

#include <QString>

namespace kiv {

inline QString ShownText(QString text)
{
    text.replace(QChar(0), QLatin1Char(' '));
    return text;
}

} // namespace kiv
