#pragma once

#include "framework/Component.h"
#include "framework/gui/Events.h"
#include "framework/gui/TColor.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"

#include <QComboBox>

#include <memory>

namespace qv::skin {

class TComboBoxGeometry;

// A combo box with a flat border, a flat drop-down button and its arrow in the skin's colours;
// its list is outlined in BorderColor while dropped down. Editable (a drop-down whose text can
// be typed) unless switched to a plain list.
class TsuiComboBox : public QComboBox, public framework::TComponent {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit TsuiComboBox(framework::TComponent* owner, QWidget* parent = nullptr);
    ~TsuiComboBox() override;

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style);
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme);

    QStringList Items() const;
    void SetItems(const QStringList& items);
    // The selected item, or -1.
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index) { setCurrentIndex(index); }
    // The text shown (typed or selected).
    QString Text() const { return currentText(); }
    void SetText(const QString& text);
    // Height of one item in the dropped-down list.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    framework::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(framework::TColor color);
    framework::TColor ArrowColor() const { return arrowColor_; }
    void SetArrowColor(framework::TColor color);
    framework::TColor ButtonColor() const { return buttonColor_; }
    void SetButtonColor(framework::TColor color);
    framework::TColor Color() const { return color_; }
    void SetColor(framework::TColor color);

    // Where the drop-down button sits.
    QRect ButtonRect() const;

    // Raised when the text changes by typing or the selection changes.
    framework::TNotifyEvent OnChange;

    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void ApplyStyle();

    TsuiThemeBinding binding_;
    std::unique_ptr<TComboBoxGeometry> geometry_;
    framework::TColor borderColor_ = framework::clBlack;
    framework::TColor arrowColor_ = framework::clBlack;
    framework::TColor buttonColor_ = framework::clBtnFace;
    framework::TColor color_ = framework::clWhite;
    int itemHeight_ = 13;
};

} // namespace qv::skin
