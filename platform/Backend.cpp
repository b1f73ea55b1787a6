#include "platform/Backend.h"

namespace Quill::Platform {

MessageBoxAnswer DefaultAnswer(MessageBoxButtons buttons)
{
    switch (buttons) {
    case MessageBoxButtons::Ok:
    case MessageBoxButtons::OkCancel:
        return MessageBoxAnswer::Ok;
    case MessageBoxButtons::YesNo:
    case MessageBoxButtons::YesNoCancel:
        return MessageBoxAnswer::Yes;
    }
    return MessageBoxAnswer::Ok;
}

} // namespace Quill::Platform
