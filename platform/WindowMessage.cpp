#include "platform/WindowMessage.h"

namespace Quill::Platform {

const char* MessageKindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::KeyDown:
        return "KeyDown";
    case MessageKind::KeyUp:
        return "KeyUp";
    case MessageKind::Char:
        return "Char";
    case MessageKind::SysKeyDown:
        return "SysKeyDown";
    case MessageKind::SysKeyUp:
        return "SysKeyUp";
    case MessageKind::SysChar:
        return "SysChar";
    case MessageKind::MouseMove:
        return "MouseMove";
    case MessageKind::LeftButtonDown:
        return "LeftButtonDown";
    case MessageKind::LeftButtonUp:
        return "LeftButtonUp";
    case MessageKind::LeftButtonDoubleClick:
        return "LeftButtonDoubleClick";
    case MessageKind::RightButtonDown:
        return "RightButtonDown";
    case MessageKind::RightButtonUp:
        return "RightButtonUp";
    case MessageKind::RightButtonDoubleClick:
        return "RightButtonDoubleClick";
    case MessageKind::MiddleButtonDown:
        return "MiddleButtonDown";
    case MessageKind::MiddleButtonUp:
        return "MiddleButtonUp";
    case MessageKind::MouseWheel:
        return "MouseWheel";
    case MessageKind::Move:
        return "Move";
    case MessageKind::Size:
        return "Size";
    case MessageKind::Activate:
        return "Activate";
    case MessageKind::Close:
        return "Close";
    case MessageKind::Timer:
        return "Timer";
    case MessageKind::Paint:
        return "Paint";
    case MessageKind::EndSession:
        return "EndSession";
    }
    return "?";
}

} // namespace Quill::Platform
