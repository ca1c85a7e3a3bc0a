#include "windows/AboutForm.h"

#include "platform/ProductVersion.h"
#include "skin/TsuiForm.h"
#include "skin/TsuiThemeManager.h"
#include "skin/controls/TsuiButton.h"
#include "skin/controls/TsuiURLLabel.h"
#include "windows/FormLayout.h"

namespace qv::windows {

namespace {
constexpr QSize kClientSize{434, 231};
constexpr const char* kWebSite = "https://quorvane.example/";
} // namespace

Tform_about::Tform_about(skin::TsuiFileTheme& theme, framework::TComponent* owner) : framework::TForm(owner) {
    setObjectName(QStringLiteral("form_about"));
    suiForm1 = NewSkinnedPanel(*this, QStringLiteral("Quorvane Linux Edition - About"), theme);
    // The edition line names the product's major and minor version: "Version 1.0".
    Label1 =
        NewLabel(suiForm1,
                 QStringLiteral("Quorvane\nLinux Edition\nVersion %1.%2\n\nCopyright \u00A9 2026 Quorvane")
                     .arg(platform::kVersionMajor)
                     .arg(platform::kVersionMinor),
                 DesignRect(*suiForm1, 122, 56, 205, 65), Qt::AlignHCenter, false);
    suiURLLabel1 = NewControl<skin::TsuiURLLabel>(*this, suiForm1, "suiURLLabel1",
                                                  DesignRect(*suiForm1, 159, 138, 130, 13));
    suiURLLabel1->SetCaption(QStringLiteral("quorvane.example"));
    suiURLLabel1->SetURL(QString::fromLatin1(kWebSite));
    suiURLLabel1->SetFontLinkColor(framework::clBlue);
    suiURLLabel1->FontHoverColor = framework::clRed;
    suiButton1 = NewButton(*this, suiForm1, "suiButton1", DesignRect(*suiForm1, 184, 179, 80, 27),
                           QStringLiteral("Close"));
    suiButton1->SetDefault(true);
    suiButton1->OnClick = [this](QObject*) { suiButton1Click(); };
    // Close comes first and has the focus when the window opens, so that Enter closes it.
    setTabOrder(suiButton1, suiURLLabel1);
    suiButton1->setFocus();
    TM = NewThemeManager(*this, theme, {"suiForm1", "suiButton1"});
    SetLaidOutSize(*this, *suiForm1, kClientSize, true);
}

void Tform_about::suiButton1Click() {
    SetModalResult(framework::mrOk);
}

} // namespace qv::windows
