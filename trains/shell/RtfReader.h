#pragma once
// Reads the common subset of Rich Text Format into a text document: paragraphs and their
// alignment, line breaks and tabs, bold, italic, underline, font, font size, the colour table,
// escaped characters (\'hh in the Windows Western code page) and Unicode characters (\uN with
// its fallback skipped). Pictures, objects, headers and other destinations are passed over.
#include <QByteArray>
#include <QString>

class QTextDocument;

// False (and the document left empty) when the data is not RTF.
bool readRtf(const QByteArray &rtf, QTextDocument *document);
// Reads a file; false when it is missing, unreadable or not RTF.
bool loadRtfFile(const QString &path, QTextDocument *document);
