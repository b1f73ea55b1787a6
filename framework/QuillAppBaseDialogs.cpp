// The application's dialog table: dialogs by id, in the widget manager, the
// modal one as the base modal widget, deleted through the safe-delete list.
#include "framework/QuillAppBase.h"

#if __has_include("framework/Dialog.h")
#include "framework/Dialog.h"
#include "framework/WidgetManager.h"
#define QUILL_HAS_DIALOG 1
#else
#define QUILL_HAS_DIALOG 0
#endif

namespace Quill {

Dialog* QuillAppBase::NewDialog(int /*id*/, bool /*isModal*/, const std::string& /*header*/,
                                const std::string& /*lines*/, const std::string& /*footer*/,
                                int /*buttonMode*/)
{
    return nullptr;
}

Dialog* QuillAppBase::DoDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode)
{
    KillDialog(id);
    Dialog* dialog = NewDialog(id, isModal, header, lines, footer, buttonMode);
    if (dialog != nullptr)
        AddDialog(id, dialog);
    return dialog;
}

Dialog* QuillAppBase::GetDialog(int id)
{
    const auto it = mDialogMap.find(id);
    return it == mDialogMap.end() ? nullptr : it->second;
}

int QuillAppBase::GetDialogCount()
{
    return static_cast<int>(mDialogMap.size());
}

bool QuillAppBase::KillDialog(Dialog* dialog)
{
    for (const auto& [id, entry] : mDialogMap) {
        if (entry == dialog)
            return KillDialog(id);
    }
    return false;
}

#if QUILL_HAS_DIALOG

void QuillAppBase::AddDialog(int id, Dialog* dialog)
{
    KillDialog(id);
    if (dialog == nullptr)
        return;
    mDialogMap[id] = dialog;
    mDialogList.push_back(dialog);
    if (mWidgetManager) {
        mWidgetManager->AddWidget(dialog);
        if (dialog->IsModal()) {
            mWidgetManager->AddBaseModal(dialog);
            ModalOpen();
        }
    }
}

bool QuillAppBase::KillDialog(int id)
{
    const auto it = mDialogMap.find(id);
    if (it == mDialogMap.end())
        return false;
    Dialog* dialog = it->second;
    if (dialog->mResult == -1)
        dialog->mResult = 0;
    if (dialog->IsModal())
        ModalClose();
    if (mWidgetManager)
        mWidgetManager->RemoveWidget(dialog);
    mDialogList.remove(dialog);
    mDialogMap.erase(it);
    SafeDeleteWidget(dialog);
    return true;
}

bool QuillAppBase::IsDialogPending(int id)
{
    const Dialog* dialog = GetDialog(id);
    return dialog != nullptr && dialog->mResult == -1;
}

void QuillAppBase::DeleteAllDialogs()
{
    for (Dialog* dialog : mDialogList) {
        if (mWidgetManager)
            mWidgetManager->RemoveWidget(dialog);
        delete dialog;
    }
    mDialogList.clear();
    mDialogMap.clear();
}

#else

// The Dialog class is not part of this build yet, so no dialog can exist and
// the table stays empty; these keep the table's rules for the empty case.

void QuillAppBase::AddDialog(int id, Dialog* /*dialog*/)
{
    KillDialog(id);
}

bool QuillAppBase::KillDialog(int id)
{
    return mDialogMap.erase(id) != 0;
}

bool QuillAppBase::IsDialogPending(int /*id*/)
{
    return false;
}

void QuillAppBase::DeleteAllDialogs()
{
    mDialogList.clear();
    mDialogMap.clear();
}

#endif

} // namespace Quill
