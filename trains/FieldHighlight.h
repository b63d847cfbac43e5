#pragma once
// The two behaviours every entry form shares: while a field has the focus its caption is
// drawn bold and blue, and Enter in a text box moves on to a fixed next field.
#include <QHash>
#include <QObject>

class QLabel;
class QWidget;

class FieldBehaviour : public QObject {
    Q_OBJECT
  public:
    explicit FieldBehaviour(QObject *parent = nullptr);

    // The caption label lit while `input` has the focus. The label also becomes the input's
    // buddy, so assistive tools announce the caption for the field.
    void addField(QWidget *input, QLabel *caption);
    // Enter pressed in `from` moves the focus to `to`; the key goes no further.
    void addEnterNext(QWidget *from, QWidget *to);

    static void highlight(QLabel *caption, bool on);
    static bool isHighlighted(const QLabel *caption);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QHash<QObject *, QLabel *> captions_;
    QHash<QObject *, QWidget *> next_;
};
