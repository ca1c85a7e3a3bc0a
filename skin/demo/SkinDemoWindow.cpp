#include "skin/demo/SkinDemoWindow.h"

#include "framework/gui/Align.h"
#include "skin/SkinResources.h"
#include "skin/ThemeProperties.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiForm.h"
#include "skin/TsuiTitleBar.h"
#include "skin/controls/TsuiButton.h"
#include "skin/controls/TsuiComboBox.h"
#include "skin/controls/TsuiEdit.h"
#include "skin/controls/TsuiPanel.h"
#include "skin/controls/TsuiScrollBar.h"
#include "skin/controls/TsuiStringGrid.h"
#include "skin/controls/TsuiURLLabel.h"

#include <QLabel>

namespace qv::skin {

namespace {

constexpr const char* kStyleNames[] = {"Embedded skin", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass"};

QLabel* AddLabel(QWidget* parent, const QString& text, QRect place) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    return label;
}

template <class Control>
Control* Add(framework::TForm* owner, QWidget* parent, QRect place) {
    auto* control = new Control(owner, parent);
    control->setGeometry(place);
    return control;
}

} // namespace

TSkinDemoWindow::TSkinDemoWindow() {
    setWindowTitle(QStringLiteral("Quorvane"));
    resize(kClientSize);
    theme_ = new TsuiBuiltInFileTheme(this);
    theme_->ReadSkinData(EmbeddedSkinArchive());
    panel_ = new TsuiForm(this);
    panel_->SetFileTheme(theme_);
    AddHeader();
    AddSearchPanel();
    AddResults();
    SetStyle(TsuiUIStyle::FromThemeFile);
}

void TSkinDemoWindow::AddHeader() {
    auto* header = Add<TsuiPanel>(this, panel_, QRect(0, 0, 792, 68));
    header->SetCaption(QStringLiteral("Quorvane"));
    header->SetAlign(framework::TAlign::alTop);
    AddLabel(header, QStringLiteral("Style:"), QRect(8, 34, 40, 13));
    styles_ = Add<TsuiComboBox>(this, header, QRect(56, 30, 121, 21));
    styles_->setEditable(false);
    for (const char* name : kStyleNames)
        styles_->addItem(QString::fromLatin1(name));
    styles_->OnChange = [this](QObject*) { SetStyle(static_cast<TsuiUIStyle>(styles_->ItemIndex())); };
    auto* link = Add<TsuiURLLabel>(this, header, QRect(200, 34, 130, 13));
    link->SetCaption(QStringLiteral("www.quorvane.example"));
    link->SetURL(QStringLiteral("https://www.quorvane.example/"));
}

void TSkinDemoWindow::AddSearchPanel() {
    auto* search = Add<TsuiPanel>(this, panel_, QRect(0, 68, 185, 485));
    search->SetCaption(QStringLiteral("Search tenders"));
    search->SetAlign(framework::TAlign::alLeft);
    auto* keyword = Add<TsuiEdit>(this, search, QRect(8, 40, 169, 21));
    keyword->setText(QStringLiteral("energy"));
    AddLabel(search, QStringLiteral("Filter by:"), QRect(8, 80, 45, 13));
    auto* countries = Add<TsuiComboBox>(this, search, QRect(56, 72, 121, 21));
    countries->SetItems({QStringLiteral("All countries"), QStringLiteral("Austria"),
                         QStringLiteral("Belgium"), QStringLiteral("United Kingdom")});
    countries->SetItemIndex(3);
    browse_ = Add<TsuiButton>(this, search, QRect(8, 112, 75, 25));
    browse_->SetCaption(QStringLiteral("&Browse"));
    browse_->SetDefault(true);
    auto* disabled = Add<TsuiButton>(this, search, QRect(96, 112, 75, 25));
    disabled->SetCaption(QStringLiteral("Disabled"));
    disabled->setEnabled(false);
    auto* password = Add<TsuiEdit>(this, search, QRect(8, 152, 169, 21));
    password->SetPasswordChar(u'*');
    password->setText(QStringLiteral("password"));
    auto* withGlyph = Add<TsuiButton>(this, search, QRect(40, 400, 105, 27));
    withGlyph->SetCaption(QStringLiteral("&About"));
    withGlyph->SetGlyph(StyleResource("MAINICON"));
    auto* disabledCombo = Add<TsuiComboBox>(this, search, QRect(8, 192, 169, 21));
    disabledCombo->SetItems({QStringLiteral("Disabled")});
    disabledCombo->SetItemIndex(0);
    disabledCombo->setEnabled(false);
}

void TSkinDemoWindow::AddResults() {
    auto* results = Add<TsuiPanel>(this, panel_, QRect(185, 68, 607, 485));
    results->SetCaption(QStringLiteral("Search results: 45 tenders found."));
    results->SetAlign(framework::TAlign::alClient);
    auto* paging = new QWidget(results);
    paging->resize(599, 41);
    paging->setAutoFillBackground(true);
    framework::SetAlign(*paging, framework::TAlign::alBottom);
    AddLabel(paging, QStringLiteral("Page 1 of 3"), QRect(0, 12, 433, 13))->setAlignment(Qt::AlignCenter);
    Add<TsuiButton>(this, paging, QRect(432, 8, 75, 25))->SetCaption(QStringLiteral("Previous"));
    Add<TsuiButton>(this, paging, QRect(516, 8, 75, 25))->SetCaption(QStringLiteral("Next"));
    grid_ = Add<TsuiStringGrid>(this, results, QRect(4, 25, 599, 370));
    framework::SetAlign(*grid_, framework::TAlign::alClient);
    grid_->SetFixedRows(0);
    grid_->SetFixedCols(0);
    grid_->SetColCount(1);
    grid_->SetDefaultRowHeight(16);
    grid_->SetColWidths(0, 640);
    grid_->SetOptions({.DrawFocusSelected = true});
    grid_->SetRowCount(30);
    grid_->SetRow(0);
    // A few titles show the cells; the empty rows below them give the scroll bars their range.
    for (int row = 0; row < 4; ++row) {
        grid_->SetCells(0, row, QStringLiteral("Supply of services, lot %1").arg(row + 1));
        grid_->SetCells(1, row, QString::number(1000 + row));
    }
    grid_->SetVScrollBar(Add<TsuiScrollBar>(this, results, QRect()));
    grid_->SetHScrollBar(Add<TsuiScrollBar>(this, results, QRect()));
}

void TSkinDemoWindow::SetStyle(TsuiUIStyle style) {
    panel_->SetUIStyle(style);
    for (QWidget* control : panel_->findChildren<QWidget*>()) {
        if (!PublishesUIStyle(control) || control == &panel_->TitleBar()) continue;
        WriteFileTheme(control, theme_);
        WriteUIStyle(control, style);
    }
    if (styles_->ItemIndex() != static_cast<int>(style)) styles_->SetItemIndex(static_cast<int>(style));
    resize(kClientSize.grownBy(panel_->Frame()));
}

} // namespace qv::skin
