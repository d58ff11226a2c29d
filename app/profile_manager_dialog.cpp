// Placeholder until the profile manager lands: opens nothing.
#include "app/profile_manager_dialog.h"

#include "skin/skin_files.h"

namespace zarvel {

ProfileManagerDialog::ProfileManagerDialog(AppCore& core, Settings& settings, QWidget* parent)
    : SkinnedDialog(kProfileSkinFile, parent), core_(core), settings_(settings) {}
ProfileManagerDialog::~ProfileManagerDialog() = default;
void ProfileManagerDialog::Open() {}
void ProfileManagerDialog::CloseCancelled() {}
void ProfileManagerDialog::OnProfileSwitched(int) {}

}  // namespace zarvel
