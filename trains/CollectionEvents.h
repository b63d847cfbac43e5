#pragma once
// Tells whoever shows the collection that a form has just written to the store, so that open
// views refresh without the user asking.
#include <QObject>

class CollectionEvents : public QObject {
    Q_OBJECT
  public:
    static CollectionEvents &instance();

  signals:
    // An item was added, changed or deleted.
    void changed();
};

// Emits CollectionEvents::changed(); the item and deletion forms call it after a store write
// that succeeded.
void notifyCollectionChanged();
