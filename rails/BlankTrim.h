#pragma once
// Trimming as the store has always done it: blanks only, so that tabs and line breaks a
// collector typed at either end of a note stay where they were.
#include <QString>

inline QString trimBlanks(const QString &t) {
    qsizetype b = 0, e = t.size();
    while (b < e && t[b] == QLatin1Char(' '))
        ++b;
    while (e > b && t[e - 1] == QLatin1Char(' '))
        --e;
    return t.mid(b, e - b);
}
