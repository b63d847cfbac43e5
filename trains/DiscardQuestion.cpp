#include "trains/DiscardQuestion.h"

#include "trains/modGlobal.h"

#include "platform/MsgBox.h"
#include "platform/Pointer.h"

bool askToDiscard(const QString &prompt) {
    platform::setScreenPointer(platform::Pointer::Default);
    return platform::MsgBox(prompt,
                            {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                             platform::MsgDefault::Button2},
                            kAppTitle) == platform::MsgResult::Yes;
}
