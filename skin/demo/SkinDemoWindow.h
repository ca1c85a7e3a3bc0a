#pragma once

#include "framework/gui/Form.h"
#include "skin/TsuiUIStyle.h"

#include <QSize>

namespace qv::skin {

class TsuiBuiltInFileTheme;
class TsuiButton;
class TsuiComboBox;
class TsuiForm;
class TsuiStringGrid;

// A window as the program's own windows are made: a form with the embedded skin's theme and a
// skinned form panel, captioned "Quorvane", with the main window's client area, holding every
// skinned control in the places the main window gives them. A box in its header switches the
// style of the whole window.
class TSkinDemoWindow : public framework::TForm {
    Q_OBJECT

public:
    static constexpr QSize kClientSize{792, 553};

    TSkinDemoWindow();

    // Draws the window with the embedded skin (FromThemeFile) or a built-in style; the client
    // area keeps its size and the window grows or shrinks by the frame.
    void SetStyle(TsuiUIStyle style);
    TsuiForm& Panel() const { return *panel_; }
    TsuiBuiltInFileTheme& Theme() const { return *theme_; }
    TsuiButton& BrowseButton() const { return *browse_; }
    TsuiStringGrid& Grid() const { return *grid_; }

private:
    void AddHeader();
    void AddSearchPanel();
    void AddResults();

    TsuiBuiltInFileTheme* theme_;
    TsuiForm* panel_;
    TsuiComboBox* styles_ = nullptr;
    TsuiButton* browse_ = nullptr;
    TsuiStringGrid* grid_ = nullptr;
};

} // namespace qv::skin
