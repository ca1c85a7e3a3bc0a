#include "skin/demo/SkinDemoWindow.h"

#include "skin/SkinResources.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiForm.h"

namespace qv::skin {

TSkinDemoWindow::TSkinDemoWindow() {
    setWindowTitle(QStringLiteral("Quorvane"));
    resize(kClientSize);
    theme_ = new TsuiBuiltInFileTheme(this);
    theme_->ReadSkinData(EmbeddedSkinArchive());
    panel_ = new TsuiForm(this);
    panel_->SetFileTheme(theme_);
    SetStyle(TsuiUIStyle::FromThemeFile);
}

void TSkinDemoWindow::SetStyle(TsuiUIStyle style) {
    panel_->SetUIStyle(style);
    resize(kClientSize.grownBy(panel_->Frame()));
}

} // namespace qv::skin
