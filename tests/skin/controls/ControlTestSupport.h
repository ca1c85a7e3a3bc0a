#pragma once

#include "framework/gui/Form.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiUIStyle.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

namespace qv::skin::test {

// A shown window with the embedded skin's theme, on which the tests put skinned controls.
class ControlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A control of the window, drawn with the embedded skin.
    template <class Control>
    Control* Skinned() {
        auto* control = new Control(form_.get(), form_.get());
        control->SetFileTheme(theme_);
        control->SetUIStyle(TsuiUIStyle::FromThemeFile);
        control->show();
        return control;
    }

    std::unique_ptr<framework::TForm> form_;
    TsuiBuiltInFileTheme* theme_ = nullptr;
};

// The widget as it shows itself, one pixel per logical pixel.
QImage Shown(QWidget& widget);

// The colour of a pixel as a TColor.
framework::TColor ColorAt(const QImage& image, int x, int y);

} // namespace qv::skin::test
