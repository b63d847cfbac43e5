#pragma once
// The kinds of item the collection holds, and the one table that says, per kind, how the store
// marks it, where it keeps its number, the prefix of the numbers its add form gives out and
// the names the program shows for it. Forms, reports, the collection view, the exchange and
// railsdb all read this table.
#include <QString>
#include <array>

// The values are the kind codes the collection view's statements compute and sort by.
enum class ItemKind : int { Car = 0, Loco = 1, Set = 2, Track = 3, Accessory = 4 };

struct ItemKindRow {
    ItemKind kind;
    const char *prefix;       // item number prefix of its add form; nullptr: no add form
    const char *flagColumn;   // tblMain's YES/NO column that marks the kind
    const char *numberColumn; // where the kind keeps its number
    const char *name;         // as the Kind column of an export writes it
    const char *plural;       // as the export and import dialogs list it
    const char *viewName;     // as the collection view and its reports show it (translated)
};

// Every kind, in kind-code order; the designed three have the add, edit and delete forms and
// the three reports.
inline constexpr std::array<ItemKind, 5> kAllKinds{ItemKind::Car, ItemKind::Loco, ItemKind::Set,
                                                   ItemKind::Track, ItemKind::Accessory};
inline constexpr std::array<ItemKind, 3> kDesignedKinds{ItemKind::Car, ItemKind::Loco,
                                                        ItemKind::Set};

const ItemKindRow &kindRow(ItemKind kind);

// The names of the table as text.
QString kindName(ItemKind kind);
QString kindPlural(ItemKind kind);
QString kindViewName(ItemKind kind);
