// Placeholder until the key-function dialog lands: opens nothing.
#include "app/key_function_dialog.h"

#include "skin/skin_files.h"

namespace zarvel {

KeyFunctionDialog::KeyFunctionDialog(AppCore& core, QWidget* parent)
    : SkinnedDialog(kCompositeSkinFile, parent), core_(core) {}
KeyFunctionDialog::~KeyFunctionDialog() = default;
void KeyFunctionDialog::OpenFor(int, int, bool, const QRect&) {}
void KeyFunctionDialog::CloseCancelled() {}
void KeyFunctionDialog::ApplyLanguage() {}

}  // namespace zarvel
