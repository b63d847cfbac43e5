#include "trains/shell/RtfReader.h"

#include <QColor>
#include <QFile>
#include <QHash>
#include <QList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F.
QChar fromCp1252(unsigned char c) {
    static const char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    if (c >= 0x80 && c < 0xA0)
        return QChar(high[c - 0x80]);
    return QChar(c);
}

enum class Dest { Text, Skip, FontTable, ColorTable };

struct State {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24;
    int color = 0;
    int font = -1;
    int ucSkip = 1;
    Dest dest = Dest::Text;
};

class Reader {
  public:
    Reader(const QByteArray &in, QTextDocument *doc) : in_(in), cursor_(doc) {}

    void run() {
        bool destinationNext = false;
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                stack_.append(state_);
                destinationNext = false;
            } else if (c == '}') {
                endGroup();
            } else if (c == '\\') {
                control(destinationNext);
            } else if (c == '\r' || c == '\n') {
                continue;
            } else {
                text(fromCp1252(static_cast<unsigned char>(c)));
            }
        }
        flush();
    }

  private:
    void endGroup() {
        if (state_.dest == Dest::FontTable && !fontName_.isEmpty())
            finishFont();
        if (stack_.isEmpty())
            return;
        state_ = stack_.takeLast();
    }

    void control(bool &destinationNext) {
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_];
        if (!isLetter(c)) {
            ++pos_;
            symbol(c, destinationNext);
            return;
        }
        QByteArray word;
        while (pos_ < in_.size() && isLetter(in_[pos_]))
            word += in_[pos_++];
        bool hasParam = false;
        int param = 0;
        bool negative = false;
        if (pos_ < in_.size() && in_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && in_[pos_] >= '0' && in_[pos_] <= '9') {
            hasParam = true;
            param = param * 10 + (in_[pos_++] - '0');
            if (param > 1000000)
                param = 1000000;
        }
        if (negative)
            param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        if (destinationNext) {
            destinationNext = false;
            state_.dest = Dest::Skip; // an optional destination this reader does not know
        }
        keyword(word, hasParam, param);
    }

    void symbol(char c, bool &destinationNext) {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            text(QLatin1Char(c));
            break;
        case '~':
            text(QChar(0x00A0));
            break;
        case '_':
            text(QChar(0x2011));
            break;
        case '-':
            break; // optional hyphen
        case '*':
            destinationNext = true;
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        case '\'': {
            if (pos_ + 2 <= in_.size()) {
                bool ok = false;
                const int v = in_.mid(pos_, 2).toInt(&ok, 16);
                pos_ += 2;
                if (ok)
                    text(fromCp1252(static_cast<unsigned char>(v)));
            }
            break;
        }
        default:
            break;
        }
    }

    void keyword(const QByteArray &w, bool hasParam, int param) {
        const bool on = !hasParam || param != 0;
        static const QList<QByteArray> skipped = {"stylesheet",
                                                  "info",
                                                  "pict",
                                                  "object",
                                                  "header",
                                                  "footer",
                                                  "headerl",
                                                  "headerr",
                                                  "headerf",
                                                  "footerl",
                                                  "footerr",
                                                  "footerf",
                                                  "themedata",
                                                  "colorschememapping",
                                                  "latentstyles",
                                                  "datastore",
                                                  "xmlnstbl",
                                                  "listtable",
                                                  "listoverridetable",
                                                  "rsidtbl",
                                                  "generator",
                                                  "filetbl",
                                                  "revtbl",
                                                  "fldinst",
                                                  "footnote",
                                                  "bkmkstart",
                                                  "bkmkend",
                                                  "nonshppict",
                                                  "shp"};
        if (w == "fonttbl") {
            state_.dest = Dest::FontTable;
        } else if (w == "colortbl") {
            state_.dest = Dest::ColorTable;
            colors_.clear();
            pendingColor_ = QColor();
        } else if (skipped.contains(w)) {
            state_.dest = Dest::Skip;
        } else if (state_.dest == Dest::ColorTable) {
            if (w == "red")
                red_ = param;
            else if (w == "green")
                green_ = param;
            else if (w == "blue")
                blue_ = param;
            pendingColor_ =
                QColor(qBound(0, red_, 255), qBound(0, green_, 255), qBound(0, blue_, 255));
        } else if (state_.dest == Dest::FontTable) {
            if (w == "f") {
                if (!fontName_.isEmpty())
                    finishFont();
                fontIndex_ = param;
            }
        } else if (w == "par") {
            paragraph();
        } else if (w == "line") {
            text(QChar(QChar::LineSeparator));
        } else if (w == "tab") {
            text(QLatin1Char('\t'));
        } else if (w == "pard") {
            alignment_ = Qt::AlignLeft;
        } else if (w == "ql") {
            alignment_ = Qt::AlignLeft;
        } else if (w == "qc") {
            alignment_ = Qt::AlignHCenter;
        } else if (w == "qr") {
            alignment_ = Qt::AlignRight;
        } else if (w == "qj") {
            alignment_ = Qt::AlignJustify;
        } else if (w == "plain") {
            const int uc = state_.ucSkip;
            const Dest d = state_.dest;
            state_ = State();
            state_.ucSkip = uc;
            state_.dest = d;
        } else if (w == "b") {
            state_.bold = on;
        } else if (w == "i") {
            state_.italic = on;
        } else if (w == "ul") {
            state_.underline = on;
        } else if (w == "ulnone") {
            state_.underline = false;
        } else if (w == "fs") {
            state_.halfPoints = hasParam && param > 0 ? param : 24;
        } else if (w == "cf") {
            state_.color = param;
        } else if (w == "f") {
            state_.font = param;
        } else if (w == "uc") {
            state_.ucSkip = qMax(0, param);
        } else if (w == "u") {
            text(QChar(char16_t(param < 0 ? param + 65536 : param)));
            skipFallback();
        } else if (w == "emdash") {
            text(QChar(0x2014));
        } else if (w == "endash") {
            text(QChar(0x2013));
        } else if (w == "bullet") {
            text(QChar(0x2022));
        } else if (w == "lquote") {
            text(QChar(0x2018));
        } else if (w == "rquote") {
            text(QChar(0x2019));
        } else if (w == "ldblquote") {
            text(QChar(0x201C));
        } else if (w == "rdblquote") {
            text(QChar(0x201D));
        }
    }

    // The characters standing in for a \uN character in readers without Unicode.
    void skipFallback() {
        for (int n = state_.ucSkip; n > 0 && pos_ < in_.size();) {
            const char c = in_[pos_];
            if (c == '{' || c == '}')
                break;
            if (c == '\\') {
                if (pos_ + 1 < in_.size() && in_[pos_ + 1] == '\'') {
                    pos_ += 4;
                } else {
                    ++pos_;
                    while (pos_ < in_.size() && isLetter(in_[pos_]))
                        ++pos_;
                    while (pos_ < in_.size() &&
                           (in_[pos_] == '-' || (in_[pos_] >= '0' && in_[pos_] <= '9')))
                        ++pos_;
                    if (pos_ < in_.size() && in_[pos_] == ' ')
                        ++pos_;
                }
            } else {
                ++pos_;
            }
            --n;
        }
    }

    void finishFont() {
        QString name = fontName_.trimmed();
        if (name.endsWith(QLatin1Char(';')))
            name.chop(1);
        fonts_.insert(fontIndex_, name.trimmed());
        fontName_.clear();
    }

    void paragraph() {
        if (state_.dest != Dest::Text)
            return;
        ++pendingBreaks_;
    }

    void text(QChar ch) {
        switch (state_.dest) {
        case Dest::Skip:
            return;
        case Dest::FontTable:
            fontName_ += ch;
            if (ch == QLatin1Char(';'))
                finishFont();
            return;
        case Dest::ColorTable:
            if (ch == QLatin1Char(';')) {
                colors_.append(pendingColor_);
                pendingColor_ = QColor();
                red_ = green_ = blue_ = 0;
            }
            return;
        case Dest::Text:
            break;
        }
        const QTextCharFormat f = format();
        if (pendingBreaks_ > 0 || f != pendingFormat_)
            flush();
        // A paragraph mark only becomes a new block when text follows it, so the document
        // does not end in an empty paragraph.
        for (; pendingBreaks_ > 0; --pendingBreaks_)
            cursor_.insertBlock();
        if (cursor_.blockFormat().alignment() != alignment_) {
            QTextBlockFormat bf = cursor_.blockFormat();
            bf.setAlignment(alignment_);
            cursor_.setBlockFormat(bf);
        }
        pendingText_ += ch;
        pendingFormat_ = f;
    }

    // Text is inserted in runs of one format, so a surrogate pair from two \u words stays one
    // character.
    void flush() {
        if (!pendingText_.isEmpty())
            cursor_.insertText(pendingText_, pendingFormat_);
        pendingText_.clear();
    }

    QTextCharFormat format() const {
        QTextCharFormat f;
        f.setFontWeight(state_.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(state_.italic);
        f.setFontUnderline(state_.underline);
        f.setFontPointSize(state_.halfPoints / 2.0);
        if (state_.color > 0 && state_.color < colors_.size() && colors_[state_.color].isValid())
            f.setForeground(colors_[state_.color]);
        if (fonts_.contains(state_.font))
            f.setFontFamilies({fonts_.value(state_.font)});
        return f;
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    const QByteArray &in_;
    QTextCursor cursor_;
    QString pendingText_;
    QTextCharFormat pendingFormat_;
    qsizetype pos_ = 0;
    State state_;
    QList<State> stack_;
    QList<QColor> colors_;
    QColor pendingColor_;
    int red_ = 0, green_ = 0, blue_ = 0;
    QHash<int, QString> fonts_;
    int fontIndex_ = 0;
    QString fontName_;
    int pendingBreaks_ = 0;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};

} // namespace

bool readRtf(const QByteArray &rtf, QTextDocument *document) {
    if (!document)
        return false;
    document->clear();
    if (!rtf.trimmed().startsWith("{\\rtf"))
        return false;
    Reader(rtf, document).run();
    return true;
}

bool loadRtfFile(const QString &path, QTextDocument *document) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (document)
            document->clear();
        return false;
    }
    return readRtf(f.readAll(), document);
}
