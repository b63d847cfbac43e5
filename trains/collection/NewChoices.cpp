#include "trains/collection/NewChoices.h"

#include "rails/records/Records.h"
#include "trains/items/ChoiceLists.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

namespace collection {

int offerNewChoices(const exchange::ImportPlan &plan, const QString &db, const QString &title) {
    QStringList lines;
    for (const items::ChoiceListInfo &list : items::choiceListInfos())
        if (const qsizetype n = plan.newChoiceEntries.value(list.key).size(); n > 0)
            lines << QStringLiteral("    %1: %2").arg(list.caption).arg(n);
    if (lines.isEmpty())
        return 0;
    const auto answer = platform::MsgBox(
        QObject::tr("The import met values that no choice list holds:") + platform::vbCrLf +
            lines.join(platform::vbCrLf) + platform::vbCrLf + platform::vbCrLf +
            QObject::tr("Add them to the choice lists, so that the forms offer them?"),
        {platform::MsgIcon::Question, platform::MsgButtons::YesNo, platform::MsgDefault::Button1},
        title);
    if (answer != platform::MsgResult::Yes)
        return 0;
    int added = 0;
    platform::trap(
        [&] {
            records::Store store(db);
            for (const items::ChoiceListInfo &list : items::choiceListInfos())
                if (plan.newChoiceEntries.contains(list.key))
                    added += store.addChoices(list.key, plan.newChoiceEntries.value(list.key));
        },
        [&](const platform::Error &e) {
            platform::MsgBox(QObject::tr("The entries could not be added to the lists.") +
                                 platform::vbCrLf + platform::vbCrLf + e.Description(),
                             platform::critical(), title);
        });
    return added;
}

} // namespace collection
