#include "trains/CollectionEvents.h"

CollectionEvents &CollectionEvents::instance() {
    static CollectionEvents events;
    return events;
}

void notifyCollectionChanged() {
    emit CollectionEvents::instance().changed();
}
