#pragma once
// The one question every form asks before it drops what the user typed and did not save.
#include <QString>
#include <QStringList>

// Asks `prompt` (Yes / No, No the default); true when the user answers Yes.
bool askToDiscard(const QString &prompt);

// What a form showed when it was last loaded, cleared or saved, against what it shows now.
class TypedSinceKept {
  public:
    void keep(const QStringList &shown) { kept_ = shown; }
    // True when nothing typed would be lost, or the user agrees to lose it.
    bool mayDrop(const QStringList &shown, const QString &prompt) const {
        return shown == kept_ || askToDiscard(prompt);
    }

  private:
    QStringList kept_;
};
